// What a front end sets before a search and reads after it: the limits, the
// stop flag and the answer.
#pragma once

#include <cstdint>

#include "core/types.h"

// The deepest iteration any search may start.
constexpr int MaxIterationDepth = MaxSearchPly;

extern int32_t SearchStartClock;  // clockMs() when thinking for this move began
extern int32_t MoveTimeBudget;    // milliseconds allowed for the next move
extern bool StopSearch;           // true ends a running search at its next check
extern int32_t MaxSearchDepth;    // deepest iteration the search may start (<= MaxIterationDepth)
extern bool PonderingSearch;      // the search runs on the expected reply: no time limit
extern Move SearchBestMove;       // the search's move or result code
extern int16_t SearchBestScore;   // its score, from the side to move's view
extern uint32_t NodeLimit;        // nodes after which the search ends; 0: no limit
// A root position that occurred twice before ends the search as a draw at
// once. A front end whose side cannot claim that draw (UCI) clears this: the
// root is searched; repetitions inside the search still count.
extern bool RootRepetitionEndsSearch;
// Analysis: the iterations go on to MaxSearchDepth, however often a mate
// score repeats and even when the root has no legal move, so that a client
// waiting for a depth gets it.
extern bool DeepenToDepthLimit;

// Lines an analysis reports per iteration: the best MultiPvLines root moves,
// best first (1: the single best line, the search's usual output).
constexpr int MaxMultiPvLines = 64;
extern int MultiPvLines;

// "go mate N": the search proves a mate in at most this many moves before
// anything else (0: no mate search).
extern int MateSearchMoves;

// What a poll does when input is waiting: a front end that answers some
// commands during the search installs a handler, which reads the input and
// returns true when the search must end. Without one, waiting input ends it.
using SearchInputHandler = bool (*)();
void setSearchInputHandler(SearchInputHandler handler);
// True when the waiting input ends the search (asks the handler if any).
bool inputEndsSearch();

// The root moves a search may choose from; count 0: all of them. The moves
// must be legal in the root position and stay readable during the search.
void setRootMoveFilter(const Move* moves, int count);
// True when the filter lets `m` through.
bool rootMoveAllowed(Move m);
// True when a filter is set (not every root move may be chosen).
bool rootMoveFilterActive();

// What a front end shows while a search runs (the move being searched): the
// searches call searchProgress() at every poll of the input, every few
// thousand nodes, and it calls the installed handler, if any. A handler only
// writes output; it never changes what the search does.
using SearchProgressHandler = void (*)();
void setSearchProgressHandler(SearchProgressHandler handler);
void searchProgress();
