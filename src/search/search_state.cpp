#include "search/search_state.h"

#include "core/clock.h"
#include "eval/evaluate.h"
#include "search/ordering_tables.h"
#include "search/search_control.h"

uint32_t NodeCount = 0;
uint64_t MovesMade = 0;
uint32_t NextPollCount = PollInterval;
int32_t InCheckCount[2] = {0, 0};
int32_t IterationDepth = 0;
int32_t AspirationState = 0;

bool timeIsUp() {
  if (PonderingSearch) return false;
  // Widened so that a huge budget (the "test" command's) cannot overflow.
  const int64_t deadline = static_cast<int64_t>(SearchStartClock) + MoveTimeBudget;
  return deadline - clockMs() <= 0;
}

bool nodeLimitPassed() { return NodeLimit != 0 && NodeCount > NodeLimit; }

uint32_t nextPollCount(uint32_t count) {
  // A ponder search ends when the opponent moves or the interface speaks: it
  // looks at the input as often as a short budget looks at the clock.
  const bool shortBudget = PonderingSearch || MoveTimeBudget < ShortBudgetMs;
  const uint32_t next = count + (shortBudget ? ShortBudgetPollInterval : PollInterval);
  return NodeLimit != 0 && next > NodeLimit ? NodeLimit : next;
}

void clearSearchTables() {
  clearTranspositionTable();
  resetMoveOrderingTables();
  clearKillers();
  clearPawnHashTable();
}
