// The one answer to "which moves may be played here?" for every caller
// outside the search's own node loop: the SAN reader, the book choice, the
// game driver and the root search. All of them act on the process-wide
// Position and leave it as they found it.
#pragma once

#include "core/move_list.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "core/types.h"
#include "movegen/generators.h"

// The pseudo-legal moves of the side to move: evasions when `info` shows a
// check, else every move. Appends at `list` and returns the new end.
inline MoveEntry* generateMoves(MoveEntry* list, const CheckInfo& info) {
  const GeneratorSet& generators = MoveGenerators[Pos.side];
  return info.checkers ? generators.evasions(list, info) : generators.all(list);
}

// True when both kings stand on the board (a position was set up).
bool positionIsSetUp();
// True when the side to move is in check.
bool sideToMoveInCheck();
// True when `m` is among the pseudo-legal moves of the side to move.
bool isGeneratedMove(Move m);
// Makes a pseudo-legal move, asks whether the mover's king is safe, and takes
// it back. Taking the enemy king (a set-up may leave it en prise) never is.
bool leavesKingSafe(Move m);
// True when `m` is a legal move of the side to move.
bool isLegalMove(Move m);
// The first legal move of the side to move in generation order, or 0.
Move firstLegalMove();
