// Driver settings and the values shared by the engine control and the search.
#pragma once

#include <cstdint>

#include "core/types.h"

enum EngineStateValue : int32_t {
  Forced = 0,     // the interface plays both sides; received moves are only played
  Thinking = 1,   // a search for the engine's own move runs
  Pondering = 2,  // the expected reply stands on the board and is searched on
  Waiting = 3,    // each received move is answered with a move
  Quitting = 4,   // the command loop ends
};

// Driver settings
extern int32_t EngineState;     // an EngineStateValue
extern bool PonderEnabled;      // "hard" sets it, "easy" and "test" clear it
extern int32_t MovesPerControl; // moves per time control; 0: the whole game
extern int32_t IncrementMs;     // increment per move in milliseconds
extern int32_t MovesToGo;       // moves to the next time control, from "time"
extern int32_t MoveTimeBudget;  // milliseconds allowed for the next move

// Search control
extern int32_t SearchStartClock;  // clockMs() when thinking for this move began
extern bool StopSearch;           // true ends a running search at its next check
extern int32_t MaxSearchDepth;    // deepest iteration the search may start (<= 127)
extern Move SearchBestMove;       // the search's move or result code
extern int16_t SearchBestScore;   // its score, from the side to move's view

// Sets MovesToGo and MoveTimeBudget from the own time in centiseconds; the
// budget is never negative.
void allocateTime(int32_t ownTimeCs);
