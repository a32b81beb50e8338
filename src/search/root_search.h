#pragma once

#include "core/types.h"

// One search: iterations from depth 2 until time, depth, input or a repeated
// mate report ends it. Returns SearchBestMove, which is always a legal move of
// the root or a ResultCode that is the true answer for it.
Move iterativeDeepening();
int rootSearch(int alpha, int beta);
// Principal variation of the current position from the table, starting with
// `first` when that is a move (the move the search chose); returns the NUL.
// At most PrincipalVariationMaxPlies plies are written, so a buffer of
// PrincipalVariationTextSize characters always suffices.
char* principalVariationText(char* buffer, int maxPlies, Move first = 0);
// While the root search is inside one of its moves: that move, with its
// place in the order the root searches them (1 for the first) in `number`;
// otherwise 0.
Move currentRootMove(int& number);

constexpr int PrincipalVariationMaxPlies = 12;
constexpr int PrincipalVariationTextSize = 160;
constexpr int AspirationMargin = 30;
constexpr int MateReportsToStop = 4;
