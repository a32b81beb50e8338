#pragma once

#include "core/ply_state.h"
#include "core/types.h"

// Principal-variation alpha-beta below the root.
int alphaBeta(int depth, int ply, int alpha, int beta, bool nullAllowed);

// 0, or the draw ResultCode of the current position; `n` earlier occurrences
// of the key make a repetition.
Move drawCheck(int n);
// 0, 1 or 2 for a quiet non-pawn move not yet made (repetition risk).
int repetitionAfter(Move m);
void makeNullMove(PlyState& record);
void unmakeNullMove(PlyState& record);
