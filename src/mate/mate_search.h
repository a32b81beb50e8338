// "go mate N": the mate proof run as a search, on the limits, the stop flag
// and the reporter of search/.
#pragma once

#include "core/types.h"

enum class MateSearchOutcome {
  NotRun,      // no mate search was asked for, or the position has no legal move
  Found,       // a mate in at most MateSearchMoves moves: SearchBestMove starts it
  NoneWithin,  // proven: no mate in that many moves
  Stopped,     // a limit, the input or "stop" ended the proof first
};

// Proves the shortest mate in at most MateSearchMoves moves of the side to
// move. A mate found is reported (depth and selective depth its plies, its
// score a mate score, the mating line) and its first move put in
// SearchBestMove; a proof cut short leaves a legal move there. True when that
// settles the search; false when no mate search ran or none exists within the
// limit, and the usual search is to choose the move.
bool runMateSearch();
MateSearchOutcome lastMateSearchOutcome();
