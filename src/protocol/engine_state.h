// The xboard driver's state and settings.
#pragma once

#include <cstdint>

enum EngineStateValue : int32_t {
  Forced = 0,     // the interface plays both sides; received moves are only played
  Thinking = 1,   // a search for the engine's own move runs
  Pondering = 2,  // the expected reply stands on the board and is searched on
  Waiting = 3,    // each received move is answered with a move
  Quitting = 4,   // the command loop ends
  Analyzing = 5,  // "analyze": the game position is searched without end, moves only played
};

// Driver settings
extern int32_t EngineState;      // an EngineStateValue
extern bool PonderEnabled;       // "hard" sets it, "easy" and "test" clear it
extern int32_t FixedMoveTimeMs;  // "st": the budget of every move, or -1 (clock and level)
extern int32_t DepthLimit;       // "sd": deepest iteration of the own moves ("new" resets it)
extern bool ClockGiven;          // a "time" arrived since the last set-up
extern int32_t OwnClockCs;       // the last "time": the engine's clock in centiseconds

// Without "st" or a clock a move gets this long (or, under "sd", as long as
// the depth takes).
constexpr int32_t DefaultMoveTimeMs = 1000;
