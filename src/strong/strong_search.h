// The strong mode's search: iterative deepening with aspiration windows
// over a principal-variation search with a table, history-driven ordering,
// pruning and reductions, and a capture search that answers checks. It reads
// the limits of search/search_control.h and the clock of StrongClock,
// reports each completed iteration (one line per variation) through the
// installed SearchReporter, and leaves its answer in SearchBestMove and
// SearchBestScore as the default search does.
#pragma once

#include <cstdint>

#include "core/types.h"

Move strongIterativeDeepening();

// Builds the fixed tables the strong search and evaluation need (once) and
// sizes its transposition table like the default search's.
void initStrongSearch();
// Forgets everything learnt: table, histories, pawn table (a new game).
void clearStrongTables();
// The reply the last strong search expects to its move, when the board is
// in the position that move leads to; else 0.
Move strongExpectedReply();
// One line of the last strong search's result, best first: the root move,
// its score (centipawns from the side to move's view; a mate in p plies is
// MateValue - p) and its variation.
struct StrongLine {
  Move move;
  int score;
  const Move* variation;
  int variationLength;
};
// Copies up to `capacity` lines (the best MultiPvLines root moves of the
// last completed iteration); returns how many.
int strongLines(StrongLine* lines, int capacity);
int strongCompletedDepth();
// The root move being searched now, its number (from 1) and the depth of
// the iteration; 0 when no strong search runs.
Move strongCurrentRootMove(int& number, int& depth);
// Nodes of the last strong search.
uint64_t strongNodeCount();
