// Draw tests against the game history.
#pragma once

#include "core/types.h"

// 0, or the draw ResultCode of the current position; `n` earlier occurrences
// of the key make a repetition.
Move drawCheck(int n);
// 0, 1 or 2 for a quiet non-pawn move not yet made (repetition risk).
int repetitionAfter(Move m);

// Reversible-move counts of the draw rules
constexpr int RepetitionMinimumCount = 4;  // no repetition is possible in fewer plies
constexpr int FiftyMoveCount = 100;
constexpr int FiftyMoveRiskCount = 76;  // repetitionAfter reports 1 from here on
constexpr int InsufficientMaterialUnits = 4;
