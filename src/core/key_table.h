// Fixed pseudo-random numbers behind every PositionKey. They never change:
// opening books and position databases store keys made from them.
#pragma once

#include <cstdint>

// Row = piece code (0..12), column = square. Row 0 keys the en-passant
// square and the castling rights (by the king's destination square: g1, c1,
// g8, c8).
extern const uint64_t KeyTable[13][64];

constexpr int castlingKeySquare(uint16_t right) {
  return right == 1 ? 62 : right == 2 ? 58 : right == 8 ? 6 : 2;
}
