#include "core/clock.h"

int32_t clockMs() { return 0; }
