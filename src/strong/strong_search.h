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

// Builds the fixed tables the strong search and evaluation need (once).
void initStrongSearch();
// Forgets everything learnt: table, histories, pawn table (a new game).
void clearStrongTables();
// Nodes of the last strong search.
uint64_t strongNodeCount();
