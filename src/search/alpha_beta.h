#pragma once

#include "core/null_move.h"
#include "core/ply_state.h"
#include "core/types.h"
#include "search/draw.h"

// Principal-variation alpha-beta below the root.
int alphaBeta(int depth, int ply, int alpha, int beta, bool nullAllowed);
