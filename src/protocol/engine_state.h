// The xboard driver's state and settings.
#pragma once

#include <cstdint>

enum EngineStateValue : int32_t {
  Forced = 0,     // the interface plays both sides; received moves are only played
  Thinking = 1,   // a search for the engine's own move runs
  Pondering = 2,  // the expected reply stands on the board and is searched on
  Waiting = 3,    // each received move is answered with a move
  Quitting = 4,   // the command loop ends
};

// Driver settings
extern int32_t EngineState;  // an EngineStateValue
extern bool PonderEnabled;   // "hard" sets it, "easy" and "test" clear it
