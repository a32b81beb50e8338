// Sliding attacks on the current occupancy of the process-wide Position.
#pragma once

#include "core/attacks.h"
#include "core/position.h"

// Sliding attacks on the current occupancy of Pos.
inline Bitboard rookAttacks(int s) {
  return RankAttacks[s][(Pos.all >> (8 * (7 - rowOf(s)))) & 255] |
         FileAttacks[s][(Pos.fileMajor >> (8 * fileOf(s))) & 255];
}
inline Bitboard bishopAttacks(int s) {
  return DiagA1H8Attacks[s][(Pos.diagA1H8 >> DiagA1H8Shift[s]) & DiagA1H8Mask[s]] |
         DiagA8H1Attacks[s][(Pos.diagA8H1 >> DiagA8H1Shift[s]) & DiagA8H1Mask[s]];
}
inline Bitboard queenAttacks(int s) { return rookAttacks(s) | bishopAttacks(s); }
