// Millisecond clock over the monotonic system clock.
#include "core/clock.h"

#include <chrono>

namespace {

// The first reading is the zero point; int32 milliseconds last about 24 days.
const std::chrono::steady_clock::time_point ClockStart = std::chrono::steady_clock::now();

}  // namespace

int32_t clockMs() {
  const auto elapsed = std::chrono::steady_clock::now() - ClockStart;
  return static_cast<int32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}
