// Driver settings and the values shared by the engine control and the search.
#pragma once

#include <cstdint>

#include "core/types.h"

enum EngineStateValue : int32_t {
  Forced = 0,
  Thinking = 1,
  Pondering = 2,
  Waiting = 3,
  Quitting = 4,
};

extern int32_t EngineState;
extern bool PonderEnabled;
extern int32_t MovesPerControl;
extern int32_t IncrementMs;
extern int32_t MovesToGo;
extern int32_t MoveTimeBudget;

extern int32_t SearchStartClock;
extern bool StopSearch;
extern int32_t MaxSearchDepth;
extern Move SearchBestMove;
extern int16_t SearchBestScore;

// Sets MovesToGo and MoveTimeBudget from the own time in centiseconds.
void allocateTime(int32_t ownTimeCs);
