// What the clock says for the move about to be searched, as the front end
// last heard it. The strong search plans its own time from it.
#pragma once

#include <cstdint>

struct ClockInputs {
  int64_t ownMs = -1;       // the own clock; -1: none given
  int64_t incrementMs = 0;  // added after each move
  int movesToGo = 0;        // moves until the clock is refilled; 0: the rest of the game
  int64_t moveTimeMs = -1;  // a fixed time for this move; -1: none
};

// Set by the front ends before each search (reset to "nothing given" when
// the front end has no clock for the move).
extern ClockInputs StrongClock;
