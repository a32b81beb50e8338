// The one buffer that holds the move lists of every ply: each ply's list
// starts where the previous ply's list ends, so no list is ever allocated.
#include "core/move_list.h"

MoveEntry MoveBuffer[MoveBufferSize];
