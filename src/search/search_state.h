// Search-wide counters shared by the root, alpha-beta and quiescence searches.
#pragma once

#include <cstdint>

extern uint32_t NodeCount;        // moves made by alpha-beta and the root
extern uint64_t MovesMade;        // every move made, quiescence included (for benchmarks)
extern uint32_t NextPollCount;
extern int32_t InCheckCount[2];   // alpha-beta nodes on the path where that side was in check
extern int32_t IterationDepth;
extern int32_t AspirationState;   // 1 fail-high re-search, -1 fail-low re-search, 0 otherwise

// Time is up: not pondering and SearchStartClock + MoveTimeBudget - clock <= 0.
bool timeIsUp();
