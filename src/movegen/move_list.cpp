#include "movegen/move_list.h"

MoveEntry MoveBuffer[MoveBufferSize];
