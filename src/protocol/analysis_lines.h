// Which lines the xboard analysis shows: how many ("option MultiPV=N") and
// from which root moves (XBoard's "exclude" and "include").
#pragma once

// Lines per depth in analysis mode, 1..MaxMultiPvLines (games search one).
extern int AnalysisLines;

// "exclude MOVE", "exclude all", "include MOVE", "include all": the words
// after the command. A move is coordinate text of a legal move of the game
// position; false for anything else (nothing changes). The set of excluded
// moves belongs to the position: a move, takeback or set-up starts afresh
// with every move included.
bool excludeRootMoves(const char* text);
bool includeRootMoves(const char* text);
// Before an analysis: the search's root move filter set to the moves not
// excluded. False, with no filter set, when every move is excluded (there is
// nothing to analyse until one is included again).
bool applyRootExclusions();
