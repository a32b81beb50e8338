#include "search/search_control.h"

int32_t SearchStartClock = 0;
int32_t MoveTimeBudget = 0;
bool StopSearch = false;
int32_t MaxSearchDepth = MaxIterationDepth;
bool PonderingSearch = false;
Move SearchBestMove = 0;
int16_t SearchBestScore = 0;
