// Positions are kept with the pawn's side as White, its pawn on the files
// a to d (the board mirrored otherwise), in coordinates file + 8 * rank
// with rank 0 the pawn side's first rank.
#include "strong/kpk.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int PawnSquares = 24;  // files a-d, ranks 2-7
constexpr int PositionCount = 64 * 64 * 2 * PawnSquares;

enum Result : uint8_t { Invalid = 0, Unknown = 1, Draw = 2, Win = 4 };

uint8_t WinBits[PositionCount / 8];

struct Decoded {
  int strongKing, weakKing, pawn;
  bool strongToMove;
};

inline int fileOfCoord(int c) { return c & 7; }
inline int rankOfCoord(int c) { return c >> 3; }
inline int distance(int a, int b) {
  return std::max(std::abs(fileOfCoord(a) - fileOfCoord(b)),
                  std::abs(rankOfCoord(a) - rankOfCoord(b)));
}
inline bool pawnAttacks(int pawn, int target) {
  return rankOfCoord(target) == rankOfCoord(pawn) + 1 &&
         std::abs(fileOfCoord(target) - fileOfCoord(pawn)) == 1;
}

inline int indexOf(int strongKing, int weakKing, bool strongToMove, int pawn) {
  const int pawnIndex = (rankOfCoord(pawn) - 1) * 4 + fileOfCoord(pawn);
  return strongKing + 64 * (weakKing + 64 * ((strongToMove ? 1 : 0) + 2 * pawnIndex));
}

inline Decoded decode(int index) {
  Decoded d;
  d.strongKing = index & 63;
  d.weakKing = (index >> 6) & 63;
  d.strongToMove = ((index >> 12) & 1) != 0;
  const int pawnIndex = index >> 13;
  d.pawn = (pawnIndex / 4 + 1) * 8 + pawnIndex % 4;
  return d;
}

// The king steps from `square`, as coordinates, into `out`; returns the count.
int kingSteps(int square, int* out) {
  int count = 0;
  for (int df = -1; df <= 1; ++df) {
    for (int dr = -1; dr <= 1; ++dr) {
      if (df == 0 && dr == 0) continue;
      const int f = fileOfCoord(square) + df, r = rankOfCoord(square) + dr;
      if (f >= 0 && f < 8 && r >= 0 && r < 8) out[count++] = f + 8 * r;
    }
  }
  return count;
}

uint8_t initialResult(const Decoded& d) {
  const int promotion = d.pawn + 8;
  if (distance(d.strongKing, d.weakKing) <= 1 || d.strongKing == d.pawn || d.weakKing == d.pawn)
    return Invalid;
  if (d.strongToMove && pawnAttacks(d.pawn, d.weakKing)) return Invalid;
  if (d.strongToMove && rankOfCoord(d.pawn) == 6 && d.strongKing != promotion &&
      d.weakKing != promotion &&
      (distance(d.weakKing, promotion) > 1 || distance(d.strongKing, promotion) == 1))
    return Win;
  if (!d.strongToMove) {
    if (distance(d.weakKing, d.pawn) == 1 && distance(d.strongKing, d.pawn) > 1) return Draw;
    int steps[8];
    const int count = kingSteps(d.weakKing, steps);
    bool canMove = false;
    for (int i = 0; i < count && !canMove; ++i) {
      canMove = distance(steps[i], d.strongKing) > 1 && !pawnAttacks(d.pawn, steps[i]);
    }
    if (!canMove) return Draw;
  }
  return Unknown;
}

uint8_t classify(const Decoded& d, const std::vector<uint8_t>& results) {
  uint8_t seen = 0;
  int steps[8];
  if (d.strongToMove) {
    const int count = kingSteps(d.strongKing, steps);
    for (int i = 0; i < count; ++i) {
      if (distance(steps[i], d.weakKing) <= 1 || steps[i] == d.pawn) continue;
      seen |= results[indexOf(steps[i], d.weakKing, false, d.pawn)];
    }
    const int push = d.pawn + 8;
    if (rankOfCoord(d.pawn) < 6 && push != d.strongKing && push != d.weakKing) {
      seen |= results[indexOf(d.strongKing, d.weakKing, false, push)];
      const int doublePush = push + 8;
      if (rankOfCoord(d.pawn) == 1 && doublePush != d.strongKing && doublePush != d.weakKing)
        seen |= results[indexOf(d.strongKing, d.weakKing, false, doublePush)];
    }
    return (seen & Win) ? Win : (seen & Unknown) ? Unknown : Draw;
  }
  const int count = kingSteps(d.weakKing, steps);
  for (int i = 0; i < count; ++i) {
    if (distance(steps[i], d.strongKing) <= 1 || pawnAttacks(d.pawn, steps[i]) ||
        steps[i] == d.pawn)
      continue;
    seen |= results[indexOf(d.strongKing, steps[i], true, d.pawn)];
  }
  return (seen & Draw) ? Draw : (seen & Unknown) ? Unknown : Win;
}

// Our square (0 = a8) in the coordinates of the pawn's side.
inline int toCoord(int square, Side strong) {
  const int file = square & 7;
  const int rank = strong == White ? 7 - (square >> 3) : square >> 3;
  return file + 8 * rank;
}

}  // namespace

void initKpk() {
  std::vector<uint8_t> results(PositionCount);
  for (int i = 0; i < PositionCount; ++i) results[i] = initialResult(decode(i));
  for (bool changed = true; changed;) {
    changed = false;
    for (int i = 0; i < PositionCount; ++i) {
      if (results[i] != Unknown) continue;
      const uint8_t r = classify(decode(i), results);
      if (r != Unknown) {
        results[i] = r;
        changed = true;
      }
    }
  }
  for (int i = 0; i < PositionCount; ++i) {
    if (results[i] == Win) WinBits[i / 8] |= static_cast<uint8_t>(1 << (i % 8));
  }
}

bool kpkWins(Side strong, int strongKing, int pawn, int weakKing, Side toMove) {
  int sk = toCoord(strongKing, strong), wk = toCoord(weakKing, strong), p = toCoord(pawn, strong);
  if (fileOfCoord(p) > 3) {
    sk ^= 7;
    wk ^= 7;
    p ^= 7;
  }
  const int index = indexOf(sk, wk, toMove == strong, p);
  return (WinBits[index / 8] >> (index % 8)) & 1;
}
