// What a front end sets before a search and reads after it: the limits, the
// stop flag and the answer.
#pragma once

#include <cstdint>

#include "core/types.h"

// The deepest iteration any search may start.
constexpr int MaxIterationDepth = MaxSearchPly;

extern int32_t SearchStartClock;  // clockMs() when thinking for this move began
extern int32_t MoveTimeBudget;    // milliseconds allowed for the next move
extern bool StopSearch;           // true ends a running search at its next check
extern int32_t MaxSearchDepth;    // deepest iteration the search may start (<= MaxIterationDepth)
extern bool PonderingSearch;      // the search runs on the expected reply: no time limit
extern Move SearchBestMove;       // the search's move or result code
extern int16_t SearchBestScore;   // its score, from the side to move's view
