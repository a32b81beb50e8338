#include "protocol/engine_state.h"

int32_t EngineState = Waiting;
bool PonderEnabled = false;
int32_t MovesPerControl = 0;
int32_t IncrementMs = 0;
int32_t MovesToGo = 0;
int32_t MoveTimeBudget = 0;

int32_t SearchStartClock = 0;
bool StopSearch = false;
int32_t MaxSearchDepth = 0;
Move SearchBestMove = 0;
int16_t SearchBestScore = 0;

void allocateTime(int32_t) {}
