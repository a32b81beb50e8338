// The one way the front ends start a search: it runs the search the engine
// is set to play with, on the limits of search/search_control.h.
#pragma once

#include "core/types.h"

// Searches the current position; the answer is in SearchBestMove and
// SearchBestScore as after iterativeDeepening().
Move runSearch();
