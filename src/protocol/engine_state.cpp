// The xboard driver's state and settings.
#include "protocol/engine_state.h"

int32_t EngineState = Waiting;
bool PonderEnabled = true;
