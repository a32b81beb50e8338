#include "search/search_state.h"

uint32_t NodeCount = 0;
uint64_t MovesMade = 0;
uint32_t NextPollCount = 0;
int32_t InCheckCount[2] = {0, 0};
int32_t IterationDepth = 0;
int32_t AspirationState = 0;

bool timeIsUp() { return false; }
