// One record per search ply: check information, what unmakeMove needs, the
// bounds of the ply's move list and the search's per-ply fields.
#pragma once

#include "core/move_list.h"
#include "core/types.h"

// The checkers of the side to move and the rook and bishop rays of its king.
struct CheckInfo {
  Bitboard checkers;
  Bitboard orthogonalRays;
  Bitboard diagonalRays;
};

struct PlyState {
  CheckInfo check;
  // Saved by savePlyState / makeMove for unmakeMove.
  Bitboard savedAll;
  Bitboard savedOwn;
  Bitboard savedPiece;
  Bitboard savedFileMajor;
  Bitboard savedDiagA1H8;
  Bitboard savedDiagA8H1;
  uint64_t savedKey;
  uint32_t savedPawnKey;
  // This ply's move list: it starts at the previous record's listEnd.
  MoveEntry* cursor;
  MoveEntry* listEnd;  // nullptr: not generated yet
  // Search fields.
  int16_t hashScore;
  Move hashMove;
  Move killer1;
  Move killer2;
  Move bestMove;
  uint16_t savedCastling;
  uint8_t savedEnPassant;
  uint8_t hashDepth;
  PieceCode captured;
  int8_t materialChange;
  uint8_t hashBound;
  bool reduced;
  uint32_t historyKeys[MaxMovesPerPosition];
};

// The search stack. Record 0 is current whenever no search runs.
extern PlyState PlyStack[PlyStackSize];
extern PlyState* CurrentPly;

// Start of the move list of the record r (the end of the previous record's list,
// or the start of the MoveBuffer for the first record).
inline MoveEntry* listStartOf(const PlyState* r) {
  return r == PlyStack ? MoveBuffer : (r - 1)->listEnd;
}
