// Check detection and legality tests around the pseudo-legal generators.
#pragma once

#include "core/ply_state.h"
#include "core/types.h"

// Fills checkers and king rays for the side to move. A side with no king on
// the board (king square 100) is never in check, here or below.
void computeCheckInfo(CheckInfo& info);
// After a move by `side`: is its king attacked, or (castling) did it start on
// or cross an attacked square?
bool kingLeftInCheck(Move m, Side side);
bool castlingPathAttacked(Move m);
// Is the move pseudo-legal for the side to move? Castling moves never are;
// pawn moves must match the pawn's own geometry and promote on the last rank.
bool isMoveValid(Move m);
