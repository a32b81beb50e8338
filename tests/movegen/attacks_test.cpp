#include "core/attacks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "core/position.h"
#include "core/slider_attacks.h"
#include "support/test_support.h"

namespace {

Bitboard squares(std::initializer_list<int> list) {
  Bitboard b = 0;
  for (int s : list) b |= bitOf(s);
  return b;
}

constexpr int sq(const char* name) { return squareOf(name[0] - 'a', name[1] - '0'); }

// Slow reference: walk each ray over the all-occupancy, first blocker included.
Bitboard walkRays(int s, Bitboard occupancy, const int (*dirs)[2], int count) {
  Bitboard result = 0;
  for (int i = 0; i < count; ++i) {
    int row = rowOf(s) + dirs[i][0], file = fileOf(s) + dirs[i][1];
    while (row >= 0 && row < 8 && file >= 0 && file < 8) {
      int t = row * 8 + file;
      result |= bitOf(t);
      if (occupancy & bitOf(t)) break;
      row += dirs[i][0];
      file += dirs[i][1];
    }
  }
  return result;
}
constexpr int RankDirs[2][2] = {{0, 1}, {0, -1}};
constexpr int FileDirs[2][2] = {{1, 0}, {-1, 0}};
constexpr int DiagA1H8Dirs[2][2] = {{-1, 1}, {1, -1}};
constexpr int DiagA8H1Dirs[2][2] = {{-1, -1}, {1, 1}};

void setOccupancy(Bitboard all) {
  Pos.all = all;
  Pos.fileMajor = toFileMajor(all);
  Pos.diagA1H8 = toDiagA1H8(all);
  Pos.diagA8H1 = toDiagA8H1(all);
}

class AttackTables : public ::testing::Test {
 protected:
  void SetUp() override { ensureTablesInitialized(); }
  void TearDown() override { setOccupancy(0); }
};

TEST_F(AttackTables, SlidingLookupsMatchRayWalkOnRandomOccupancies) {
  std::mt19937_64 rng(20261207);
  for (int trial = 0; trial < 3000; ++trial) {
    // Vary the density: sparse boards test long rays, dense ones blockers.
    Bitboard all = rng();
    for (int thin = trial % 4; thin > 0; --thin) all &= rng();
    setOccupancy(all);
    for (int s = 0; s < 64; ++s) {
      const Bitboard rank = walkRays(s, all, RankDirs, 2);
      const Bitboard file = walkRays(s, all, FileDirs, 2);
      const Bitboard a1h8 = walkRays(s, all, DiagA1H8Dirs, 2);
      const Bitboard a8h1 = walkRays(s, all, DiagA8H1Dirs, 2);
      ASSERT_EQ(RankAttacks[s][(all >> (8 * (7 - rowOf(s)))) & 255], rank) << s;
      ASSERT_EQ(FileAttacks[s][(Pos.fileMajor >> (8 * fileOf(s))) & 255], file) << s;
      ASSERT_EQ(DiagA1H8Attacks[s][(Pos.diagA1H8 >> DiagA1H8Shift[s]) & DiagA1H8Mask[s]], a1h8)
          << s;
      ASSERT_EQ(DiagA8H1Attacks[s][(Pos.diagA8H1 >> DiagA8H1Shift[s]) & DiagA8H1Mask[s]], a8h1)
          << s;
      ASSERT_EQ(rookAttacks(s), rank | file) << s;
      ASSERT_EQ(bishopAttacks(s), a1h8 | a8h1) << s;
      ASSERT_EQ(queenAttacks(s), rank | file | a1h8 | a8h1) << s;
    }
  }
}

TEST_F(AttackTables, EmptyBoardTablesMatchRayWalk) {
  for (int s = 0; s < 64; ++s) {
    const Bitboard only = bitOf(s);
    const Bitboard rook = walkRays(s, only, RankDirs, 2) | walkRays(s, only, FileDirs, 2);
    const Bitboard bishop = walkRays(s, only, DiagA1H8Dirs, 2) | walkRays(s, only, DiagA8H1Dirs, 2);
    EXPECT_EQ(RookEmpty[s], rook) << s;
    EXPECT_EQ(BishopEmpty[s], bishop) << s;
    EXPECT_EQ(QueenEmpty[s], rook | bishop) << s;
  }
  // A rook alone on a1 sees the whole first rank and a-file.
  setOccupancy(bitOf(sq("a1")));
  const Bitboard expected =
      squares({sq("b1"), sq("c1"), sq("d1"), sq("e1"), sq("f1"), sq("g1"), sq("h1"), sq("a2"),
               sq("a3"), sq("a4"), sq("a5"), sq("a6"), sq("a7"), sq("a8")});
  EXPECT_EQ(rookAttacks(sq("a1")), expected);
  EXPECT_EQ(RookEmpty[sq("a1")], expected);
}

TEST_F(AttackTables, LineTableEdges) {
  // d1 with b1, d1 and g1 occupied: byte 0x52; the first blocker each way counts.
  EXPECT_EQ(RankAttacks[sq("d1")][0x52],
            squares({sq("b1"), sq("c1"), sq("e1"), sq("f1"), sq("g1")}));
  for (int k = 0; k < 256; ++k) EXPECT_EQ(DiagA1H8Attacks[sq("a8")][k], 0u) << k;
  for (int s = 0; s < 64; ++s)
    for (int k = 0; k < 256; ++k) {
      if (k > DiagA1H8Mask[s]) {
        ASSERT_EQ(DiagA1H8Attacks[s][k], 0u) << s << " " << k;
      }
      if (k > DiagA8H1Mask[s]) {
        ASSERT_EQ(DiagA8H1Attacks[s][k], 0u) << s << " " << k;
      }
    }
}

TEST_F(AttackTables, DiagonalShiftsAndMasksOfTheEdges) {
  const uint8_t a1h8Shift[8] = {63, 61, 58, 54, 49, 43, 36, 28};
  const uint8_t a8h1Shift[8] = {28, 36, 43, 49, 54, 58, 61, 63};
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(DiagA1H8Shift[f], a1h8Shift[f]) << f;
    EXPECT_EQ(DiagA1H8Mask[f], (1 << (f + 1)) - 1) << f;
    EXPECT_EQ(DiagA8H1Shift[f], a8h1Shift[f]) << f;
    EXPECT_EQ(DiagA8H1Mask[f], (1 << (8 - f)) - 1) << f;
  }
  EXPECT_EQ(DiagA1H8Shift[sq("h1")], 0);
  EXPECT_EQ(DiagA1H8Mask[sq("h1")], 1);
  EXPECT_EQ(DiagA8H1Mask[sq("a1")], 1);
  EXPECT_EQ(DiagA8H1Shift[sq("a1")], 0);
}

// The order of squares inside each rotated occupancy is part of the stored
// incremental state, so check it position by position.
TEST_F(AttackTables, RotatedOccupancyLayouts) {
  for (int s = 0; s < 64; ++s) {
    EXPECT_EQ(toFileMajor(bitOf(s)), bitOf(56 + rowOf(s) - 8 * fileOf(s))) << s;
    EXPECT_EQ(FileMajorBit[s], toFileMajor(bitOf(s)));
    EXPECT_EQ(DiagA1H8Bit[s], toDiagA1H8(bitOf(s)));
    EXPECT_EQ(DiagA8H1Bit[s], toDiagA8H1(bitOf(s)));
  }
  const int a1h8Start[] = {0, 8, 1, 16, 9, 2, 24};
  const int a8h1Start[] = {7, 6, 15, 5, 14, 23, 4};
  for (int p = 0; p < 7; ++p) {
    EXPECT_EQ(DiagA1H8Bit[a1h8Start[p]], bitOf(p)) << p;
    EXPECT_EQ(DiagA8H1Bit[a8h1Start[p]], bitOf(p)) << p;
  }
  EXPECT_EQ(DiagA1H8Bit[sq("h1")], bitOf(63));
  EXPECT_EQ(DiagA8H1Bit[sq("a1")], bitOf(63));
  // Set-up converts whole boards, moves XOR single squares: both must agree.
  const Bitboard sample = 0x9C00F0120A8033E1ULL;
  Bitboard f = 0, d1 = 0, d2 = 0;
  for (int s = 0; s < 64; ++s)
    if (sample & bitOf(s)) {
      f |= FileMajorBit[s];
      d1 |= DiagA1H8Bit[s];
      d2 |= DiagA8H1Bit[s];
    }
  EXPECT_EQ(toFileMajor(sample), f);
  EXPECT_EQ(toDiagA1H8(sample), d1);
  EXPECT_EQ(toDiagA8H1(sample), d2);
}

TEST_F(AttackTables, LeaperTables) {
  EXPECT_EQ(KingAttacks[sq("a8")], squares({sq("b8"), sq("a7"), sq("b7")}));
  EXPECT_EQ(KnightAttacks[sq("b7")], squares({sq("d8"), sq("d6"), sq("a5"), sq("c5")}));
  int kingTotal = 0, knightTotal = 0;
  for (int s = 0; s < 64; ++s) {
    kingTotal += popCount(KingAttacks[s]);
    knightTotal += popCount(KnightAttacks[s]);
  }
  EXPECT_EQ(kingTotal, 420);
  EXPECT_EQ(knightTotal, 336);

  // Pawns: no wrap between the a- and h-files, nothing off the board.
  EXPECT_EQ(WhitePawnAttacks[sq("a2")], bitOf(sq("b3")));
  EXPECT_EQ(WhitePawnAttacks[sq("h2")], bitOf(sq("g3")));
  EXPECT_EQ(WhitePawnAttacks[sq("e4")], squares({sq("d5"), sq("f5")}));
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(WhitePawnAttacks[f], 0u);
    EXPECT_EQ(BlackPawnAttacks[56 + f], 0u);
  }
  // A White pawn on s attacks t exactly when a Black pawn on t attacks s.
  for (int s = 0; s < 64; ++s)
    for (int t = 0; t < 64; ++t)
      ASSERT_EQ((WhitePawnAttacks[s] & bitOf(t)) != 0, (BlackPawnAttacks[t] & bitOf(s)) != 0);
}

TEST_F(AttackTables, PawnStructureMasks) {
  const Bitboard eFile = 0x0808080808080808ULL;
  EXPECT_EQ(FileMask[sq("e4")], eFile & ~bitOf(sq("e4")));
  EXPECT_EQ(AdjacentFilesMask[sq("a5")], 0x4040404040404040ULL);  // the whole b-file
  EXPECT_EQ(AdjacentFilesMask[sq("e4")], 0x1414141414141414ULL);

  EXPECT_EQ(PassedPawnMask[White][sq("e6")],
            squares({sq("d7"), sq("e7"), sq("f7"), sq("d8"), sq("e8"), sq("f8")}));
  EXPECT_EQ(PassedPawnMask[Black][sq("a3")], squares({sq("a2"), sq("b2"), sq("a1"), sq("b1")}));
  EXPECT_EQ(FrontSpan[White][sq("h6")], squares({sq("h7"), sq("h8")}));
  EXPECT_EQ(FrontSpan[Black][sq("c3")], squares({sq("c2"), sq("c1")}));
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(PassedPawnMask[White][f], 0u);
    EXPECT_EQ(FrontSpan[White][f], 0u);
    EXPECT_EQ(PassedPawnMask[Black][56 + f], 0u);
    EXPECT_EQ(FrontSpan[Black][56 + f], 0u);
  }
  for (int s = 0; s < 64; ++s) {
    EXPECT_EQ(FrontSpan[White][s] | FrontSpan[Black][s], FileMask[s]) << s;
    EXPECT_EQ(PassedPawnMask[White][s] & PassedPawnMask[Black][s], 0u) << s;
  }
}

TEST_F(AttackTables, EnPassantPairs) {
  const int e6 = sq("e6"), e5 = sq("e5"), e4 = sq("e4"), e3 = sq("e3");
  EXPECT_EQ(EnPassantPairFileMajor[e6], toFileMajor(squares({e6, e5})));
  EXPECT_EQ(EnPassantPairDiagA1H8[e6], toDiagA1H8(squares({e6, e5})));
  EXPECT_EQ(EnPassantPairDiagA8H1[e6], toDiagA8H1(squares({e6, e5})));
  EXPECT_EQ(EnPassantPairFileMajor[e3], toFileMajor(squares({e4, e3})));
  EXPECT_EQ(EnPassantPairDiagA1H8[e3], toDiagA1H8(squares({e4, e3})));
  EXPECT_EQ(EnPassantPairDiagA8H1[e3], toDiagA8H1(squares({e4, e3})));
  for (int s = 0; s < 64; ++s) {
    if ((s >= 16 && s < 24) || (s >= 40 && s < 48)) continue;
    EXPECT_EQ(EnPassantPairFileMajor[s] | EnPassantPairDiagA1H8[s] | EnPassantPairDiagA8H1[s], 0u)
        << s;
  }
}

TEST(BitScan, FirstSquareIsTheHighestNumberedSquare) {
  EXPECT_EQ(firstSquare(bitOf(0) | bitOf(63)), 63);
  EXPECT_EQ(firstSquare(bitOf(0)), 0);
  EXPECT_EQ(firstSquare(squares({5, 17, 40})), 40);
}

}  // namespace
