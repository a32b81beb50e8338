// Each direction's ray from each square, cut at the first blocker. Square
// numbers grow towards h1 while bit numbers grow towards a8, so along a ray
// of growing squares the nearest blocker is the highest bit, and along a
// ray of falling squares the lowest.
#include "strong/rays.h"

namespace {

struct Direction {
  int fileStep;
  int rowStep;
};
// Rook directions first, then bishop directions.
constexpr Direction Directions[8] = {{0, -1}, {0, 1},   {1, 0}, {-1, 0},
                                     {1, -1}, {-1, -1}, {1, 1}, {-1, 1}};

Bitboard Ray[8][64];

constexpr bool squaresGrow(const Direction& d) { return d.rowStep * 8 + d.fileStep > 0; }

inline Bitboard rayAttack(int direction, int square, Bitboard occupancy) {
  const Bitboard ray = Ray[direction][square];
  const Bitboard blockers = ray & occupancy;
  if (!blockers) return ray;
  const int bit = squaresGrow(Directions[direction]) ? 63 - __builtin_clzll(blockers)
                                                     : __builtin_ctzll(blockers);
  return ray ^ Ray[direction][63 - bit];
}

}  // namespace

void initRays() {
  for (int d = 0; d < 8; ++d) {
    for (int s = 0; s < 64; ++s) {
      Bitboard ray = 0;
      int file = s & 7, row = s >> 3;
      for (;;) {
        file += Directions[d].fileStep;
        row += Directions[d].rowStep;
        if (file < 0 || file > 7 || row < 0 || row > 7) break;
        ray |= bitOf(row * 8 + file);
      }
      Ray[d][s] = ray;
    }
  }
}

Bitboard rookRays(int square, Bitboard occupancy) {
  return rayAttack(0, square, occupancy) | rayAttack(1, square, occupancy) |
         rayAttack(2, square, occupancy) | rayAttack(3, square, occupancy);
}

Bitboard bishopRays(int square, Bitboard occupancy) {
  return rayAttack(4, square, occupancy) | rayAttack(5, square, occupancy) |
         rayAttack(6, square, occupancy) | rayAttack(7, square, occupancy);
}
