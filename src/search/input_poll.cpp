#include "search/input_poll.h"

int inputPending() { return 0; }
