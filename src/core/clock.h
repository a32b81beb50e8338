// Millisecond clock for time control: a monotonic wall clock.
#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start point; never goes backwards.
int32_t clockMs();
