// Legality of moves in the game position, for the protocol driver: moves
// received from the interface and moves about to be sent are checked here.
#pragma once

#include "core/types.h"

// True when both kings stand on the board (a position was set up).
bool positionIsSetUp();
// True when `m` is a legal move of the side to move in the current Position.
bool isLegalMove(Move m);
// The first legal move of the side to move in generation order, or 0.
Move firstLegalMove();
// True when the side to move is in check.
bool sideToMoveInCheck();
