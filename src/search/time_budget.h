// The time control and the per-move time budget it gives.
#pragma once

#include <cstdint>

extern int32_t MovesPerControl;  // moves per time control; 0: the whole game
extern int32_t IncrementMs;      // increment per move in milliseconds
extern int32_t MovesToGo;        // moves to the next time control, from the last budget

// Sets MovesToGo and MoveTimeBudget from the own time in centiseconds; the
// budget is never negative.
void allocateTime(int32_t ownTimeCs);
// The same rule for a clock that tells the moves to go itself (UCI's
// "movestogo"; 0 or less: none given, the whole game is one control).
void allocateTimeFor(int32_t ownTimeCs, int32_t movesToGo);
