// What the strong search asks of a move before or without generating the
// whole list: is it a capture or promotion, which piece moves and takes,
// and could it be played here at all (a table or killer move may belong to
// another position).
#pragma once

#include "core/piece_square.h"
#include "core/position.h"
#include "core/types.h"

// Captures and queen promotions: the moves the capture search looks at.
inline bool isNoisy(Move m) {
  const int type = moveType(m);
  return type == CaptureMove || type == EnPassantMove || type == PromoteQueen ||
         (type >= CapturePromoteQueen && type <= CapturePromoteBishop);
}
inline bool isCapture(Move m) {
  const int type = moveType(m);
  return type == CaptureMove || type == EnPassantMove ||
         (type >= CapturePromoteQueen && type <= CapturePromoteBishop);
}
inline bool isUnderPromotion(Move m) {
  const int type = moveType(m);
  return (type >= PromoteKnight && type <= PromoteBishop) ||
         (type >= CapturePromoteKnight && type <= CapturePromoteBishop);
}

// Index of "no victim" in the capture history (kings are never taken).
constexpr int NoVictim = KindKing;
// The kind taken by a move of the side to move, or NoVictim.
inline int victimKind(Move m) {
  if (moveType(m) == EnPassantMove) return KindPawn;
  const PieceCode target = Pos.board[moveTo(m)];
  return target == Empty ? NoVictim : kindOf(target);
}

// Pseudo-legal for the side to move: what the generators could have made
// here (the mover's king safety is tested after the move, as always).
bool isPseudoLegalMove(Move m);
