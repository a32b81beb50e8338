// Search-wide counters shared by the root, alpha-beta and quiescence searches.
#pragma once

#include <cstdint>

#include "search/transposition.h"

extern uint32_t NodeCount;  // moves made by alpha-beta and the root
extern uint64_t MovesMade;  // every move made, quiescence included (for benchmarks)
extern uint32_t NextPollCount;
extern int32_t InCheckCount[2];  // alpha-beta nodes on the path where that side was in check
extern int32_t IterationDepth;
extern int32_t AspirationState;  // 1 fail-high re-search, -1 fail-low re-search, 0 otherwise

// Time is up: not pondering and SearchStartClock + MoveTimeBudget - clock <= 0.
bool timeIsUp();
// A node limit is set and NodeCount has passed it.
bool nodeLimitPassed();
// The node count of the poll after one at `count`: PollInterval further on
// (ShortBudgetPollInterval while a timed move has less than ShortBudgetMs),
// but never past the node limit, so that the search ends right there.
uint32_t nextPollCount(uint32_t count);

// Limits and score constants
constexpr uint32_t PollInterval = 16384;  // nodes between clock and input checks
// On a busy machine PollInterval nodes can take tens of milliseconds, a good
// part of a short budget: such moves look at the clock more often.
constexpr uint32_t ShortBudgetPollInterval = 2048;
constexpr int32_t ShortBudgetMs = 500;
constexpr int LastAlphaBetaPly = MaxSearchPly;  // deeper plies are left to the quiescence search
constexpr int LastPly = PlyStackSize - 1;       // the last PlyState record
constexpr int QuiescenceDepthFloor = -8;
constexpr int FullWindow = 8100;  // the widest search window

// Window helper
// A probed bound may narrow the window, except at the top depth of an
// aspiration re-search (the window there is the re-search's whole point).
inline bool windowNarrowingAllowed(int depth) {
  return AspirationState == 0 || depth != IterationDepth;
}
// A deep enough table entry settles the node: exact, or a bound outside the window.
inline bool boundSettlesNode(int bound, int score, int alpha, int beta) {
  return bound == ExactBound || (bound == LowerBound && score >= beta) ||
         (bound == UpperBound && score <= alpha);
}
// A lower or upper bound strictly inside the window narrows it.
inline void narrowWindow(int bound, int score, int& alpha, int& beta) {
  if (score <= alpha || score >= beta) return;
  if (bound == LowerBound) alpha = score;
  if (bound == UpperBound) beta = score;
}

// Empties every table a search fills: the transposition table, the move
// ordering (history, cutoff statistics, killers) and the pawn hash. A new
// game starts with them cleared.
void clearSearchTables();
