// Analysis of several lines at once: the best MultiPvLines root moves, each
// with its own score and variation, deepened together.
#pragma once

#include "core/types.h"

// Searches the current position depth by depth. At each depth the root is
// searched once per line, each time without the moves of the lines already
// found (and within the root move filter the caller set); the lines of a
// completed depth are reported best first through the installed reporter,
// ranked 1, 2, ... when MultiPvLines > 1. Limits, input and stop work as in
// iterativeDeepening(), which this leaves untouched (a depth limit in
// analysis included); SearchBestMove and SearchBestScore are those of the
// best line of the last completed depth. A root that search ends at once as
// drawn, or without a legal move allowed, is left to iterativeDeepening().
Move multiPvSearch();
