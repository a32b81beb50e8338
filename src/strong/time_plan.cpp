#include "strong/time_plan.h"

#include <algorithm>

ClockInputs StrongClock;

namespace {
// Kept back for the move's way to the interface and the process's start.
constexpr int64_t MoveOverheadMs = 30;
// A game without moves to go is planned as if this many moves were left.
constexpr int SuddenDeathMoves = 40;
constexpr int MaxPlannedMoves = 50;
// The hard limit: this many soft limits, and never more than this share of
// the clock left.
constexpr double HardOverSoft = 5.0;
constexpr double HardClockShare = 0.35;
constexpr double LastMoveClockShare = 0.7;
constexpr double IncrementShare = 0.8;
}  // namespace

TimePlan planTime(const ClockInputs& clock, int64_t fallbackMs, int64_t untimedMs) {
  TimePlan plan;
  if (clock.moveTimeMs >= 0) {
    plan.timed = true;
    plan.softMs = plan.hardMs = std::max<int64_t>(clock.moveTimeMs - MoveOverheadMs / 3, 1);
    return plan;
  }
  if (clock.ownMs < 0) {
    plan.timed = fallbackMs < untimedMs;
    plan.softMs = plan.hardMs = fallbackMs;
    return plan;
  }
  const int64_t available = std::max<int64_t>(clock.ownMs - MoveOverheadMs, 1);
  const int moves =
      clock.movesToGo > 0 ? std::min(clock.movesToGo, MaxPlannedMoves) : SuddenDeathMoves;
  plan.timed = true;
  if (moves == 1) {
    plan.softMs = static_cast<int64_t>(available * LastMoveClockShare / 2);
    plan.hardMs = static_cast<int64_t>(available * LastMoveClockShare);
  } else {
    const double increment = static_cast<double>(clock.incrementMs) * IncrementShare;
    plan.softMs = static_cast<int64_t>(available / (moves + 1) + increment);
    const double share = clock.movesToGo > 0
                             ? std::min(HardClockShare * 2 / moves + 0.1, HardClockShare)
                             : HardClockShare;
    plan.hardMs =
        static_cast<int64_t>(std::min(plan.softMs * HardOverSoft, available * share + increment));
  }
  plan.hardMs = std::clamp<int64_t>(plan.hardMs, 1, available);
  plan.softMs = std::clamp<int64_t>(plan.softMs, 1, plan.hardMs);
  return plan;
}

double softLimitFactor(double bestMoveChanges, int scoreDrop, double bestMoveNodeShare) {
  const double instability = 1.0 + 0.6 * bestMoveChanges;
  const double falling = std::clamp(1.0 + scoreDrop / 100.0, 0.75, 1.6);
  const double nodes = std::clamp(1.6 - bestMoveNodeShare, 0.6, 1.4);
  return instability * falling * nodes;
}
