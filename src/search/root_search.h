#pragma once

#include "core/types.h"

// One search: iterations from depth 2 until time, depth, input or a repeated
// mate report ends it. Returns SearchBestMove.
Move iterativeDeepening();
int rootSearch(int alpha, int beta);
// Principal variation of the current position from the table; returns the NUL.
char* principalVariationText(char* buffer, int maxPlies);
