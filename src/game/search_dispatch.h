// The one way the front ends start a search: it runs the search the engine
// is set to play with, on the limits of search/search_control.h.
#pragma once

#include "core/types.h"

// Which search plays: the default one, or the strong mode's own search and
// evaluation (opt-in; new games and set-ups keep the choice).
enum class SearchMode { Default, Strong };
void setSearchMode(SearchMode mode);
SearchMode searchMode();

// The book move of the mode that plays: the strong mode (and play at a set
// strength) chooses by weight from the .bin book in use or masters.bin, the
// default mode as its books always have; 0 when the book has none.
Move chooseGameBookMove();

// Searches the current position; the answer is in SearchBestMove and
// SearchBestScore as after iterativeDeepening().
Move runSearch();

// The reply the last search expects in the current position (the one its
// move led to), as the search left it: not checked for legality; 0: none.
Move expectedReply();

// The root move the running search is on, its number (from 1) and the
// depth of its iteration; 0 when none.
Move currentSearchRootMove(int& number, int& depth);

// Empties what both searches learnt (a new game, "Clear Hash").
void clearEngineTables();
