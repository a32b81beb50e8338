// The time control and the per-move time budget it gives.
#pragma once

#include <cstdint>

// No budget exceeds this (about eleven days): the clock arithmetic of the
// search stays inside 32 bits whatever clock values the interface sends. A
// search with this budget (analysis, a depth limit alone) is not timed.
constexpr int32_t MaxMoveTimeBudget = 1000000000;

extern int32_t MovesPerControl;   // moves per time control; 0: the whole game
extern int32_t IncrementMs;       // increment per move in milliseconds
extern int32_t MovesToGo;         // moves to the next time control, from the last budget
extern int32_t PliesBeforeSetUp;  // game plies before the set-up position (its move number)

// Sets MovesToGo and MoveTimeBudget from the own time in centiseconds; the
// budget is never negative.
void allocateTime(int32_t ownTimeCs);
// The same rule for a clock that tells the moves to go itself (UCI's
// "movestogo"; 0 or less: none given, the whole game is one control).
void allocateTimeFor(int32_t ownTimeCs, int32_t movesToGo);
