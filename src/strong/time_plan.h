// The strong search's time for one move: a soft limit that the iterations
// aim for, stretched or shrunk by how settled the search is, and a hard
// limit that ends the search wherever it is.
#pragma once

#include <cstdint>

#include "strong/clock_inputs.h"

struct TimePlan {
  bool timed = false;
  int64_t softMs = 0;
  int64_t hardMs = 0;
};

// `fallbackMs`: the front end's budget, used when the clock gives nothing.
TimePlan planTime(const ClockInputs& clock, int64_t fallbackMs, int64_t untimedMs);

// How much of the soft limit to use after an iteration, from how often the
// best move changed lately, how far the score fell and the share of the
// nodes the best move took.
double softLimitFactor(double bestMoveChanges, int scoreDrop, double bestMoveNodeShare);
