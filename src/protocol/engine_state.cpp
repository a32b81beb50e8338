// The xboard driver's state and settings.
#include "protocol/engine_state.h"

#include "search/search_control.h"

int32_t EngineState = Waiting;
bool PonderEnabled = true;
int32_t FixedMoveTimeMs = -1;
int32_t DepthLimit = MaxIterationDepth;
bool ClockGiven = false;
int32_t OwnClockCs = 0;
