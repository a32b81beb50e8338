// Check detection and legality tests around the pseudo-legal generators.
#pragma once

#include "core/ply_state.h"
#include "core/types.h"

// Fills checkers and king rays for the side to move.
void computeCheckInfo(CheckInfo& info);
// After a move by `side`: is its king attacked, or (castling) did it start on
// or cross an attacked square?
bool kingLeftInCheck(Move m, int side);
bool castlingPathAttacked(Move m);
// Is the move pseudo-legal for the side to move? Castling moves never are.
bool isMoveValid(Move m);
