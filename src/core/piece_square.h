// Piece values and the phase-selected piece-square tables.
#pragma once

#include <cstdint>

#include "core/types.h"

// By piece code: empty 0, pawns 100, knights 320, bishops 325, rooks 500,
// queens 950, kings 2000.
extern const int16_t PieceValue[13];

enum PieceKind : int { KindPawn, KindKnight, KindBishop, KindRook, KindQueen, KindKing };
constexpr int kindOf(PieceCode code) { return (code - 1) >> 1; }

// Phase = total material of Pos (78 at the start). The lookup covers every
// value the material byte can take, so a position with many promoted pieces
// reads the opening tables instead of running off the end.
constexpr int PhaseCount = 256;
extern const int16_t* PieceSquareLookup[6][PhaseCount];

inline const int16_t* pieceSquareTable(int kind, int phase) {
  return PieceSquareLookup[kind][phase];
}

// Fills the lookups; the last step of initMoveTables.
void initPieceSquareLookups();
