#include "core/piece_square.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "support/test_support.h"

namespace {

constexpr int sq(const char* name) { return squareOf(name[0] - 'a', name[1] - '0'); }

// Phases that select each table: opening, second, third, fourth.
constexpr int Opening = 78, Second = 70, KingThird = 46, PawnThird = 62, Fourth = 14;

class PieceSquare : public ::testing::Test {
 protected:
  void SetUp() override { ensureTablesInitialized(); }
  static const int16_t* table(int kind, int phase) { return pieceSquareTable(kind, phase); }
  static int at(int kind, int phase, const char* square) { return table(kind, phase)[sq(square)]; }
};

struct Range {
  int low;
  int high;
};

// Smallest and largest entry, leaving out the pawn tables' rank-8 row.
Range rangeOf(const int16_t* t, bool pawn) {
  Range r{t[pawn ? 8 : 0], t[pawn ? 8 : 0]};
  for (int s = pawn ? 8 : 0; s < 64; ++s) {
    r.low = std::min<int>(r.low, t[s]);
    r.high = std::max<int>(r.high, t[s]);
  }
  return r;
}

bool fileSymmetric(const int16_t* t) {
  for (int s = 0; s < 64; ++s)
    if (t[s] != t[(s & ~7) | (7 - fileOf(s))]) return false;
  return true;
}

TEST(PieceValues, ByPieceCodeForBothColours) {
  const int16_t expected[13] = {0, 100, 100, 320, 320, 325, 325, 500, 500, 950, 950, 2000, 2000};
  for (int code = 0; code < 13; ++code) EXPECT_EQ(PieceValue[code], expected[code]) << code;
}

TEST_F(PieceSquare, PhaseBandBoundaries) {
  for (int kind = KindPawn; kind <= KindKing; ++kind) {
    for (int phase = 71; phase < PhaseCount; ++phase)
      ASSERT_EQ(table(kind, phase), table(kind, Opening)) << kind << " " << phase;
    EXPECT_NE(table(kind, 70), table(kind, 71)) << kind;
    for (int phase = 0; phase <= 70; ++phase) ASSERT_NE(table(kind, phase), nullptr);
  }
  for (int kind = KindKnight; kind <= KindQueen; ++kind)
    for (int phase = 0; phase <= 70; ++phase)
      ASSERT_EQ(table(kind, phase), table(kind, Second)) << kind << " " << phase;

  // Pawns change at 62, kings at 46; both again at 14.
  EXPECT_EQ(table(KindPawn, 63), table(KindPawn, Second));
  EXPECT_NE(table(KindPawn, PawnThird), table(KindPawn, 63));
  EXPECT_EQ(table(KindKing, PawnThird), table(KindKing, Second));
  EXPECT_EQ(table(KindKing, 47), table(KindKing, Second));
  EXPECT_NE(table(KindKing, KingThird), table(KindKing, 47));
  EXPECT_EQ(table(KindKing, 15), table(KindKing, KingThird));
  EXPECT_EQ(table(KindPawn, 15), table(KindPawn, PawnThird));
  EXPECT_NE(table(KindKing, Fourth), table(KindKing, 15));
  EXPECT_NE(table(KindPawn, Fourth), table(KindPawn, 15));
  EXPECT_EQ(table(KindKing, 0), table(KindKing, Fourth));
  EXPECT_EQ(table(KindPawn, 0), table(KindPawn, Fourth));

  // The tables behind the bands are told apart by their contents.
  EXPECT_EQ(at(KindPawn, Opening, "a8"), 99);
  EXPECT_EQ(at(KindPawn, Second, "a8"), 199);
  EXPECT_EQ(at(KindPawn, PawnThird, "a8"), 299);
  EXPECT_EQ(at(KindPawn, Fourth, "a8"), 499);
  EXPECT_EQ(at(KindKing, Opening, "g1"), 12);
  EXPECT_EQ(at(KindKing, Second, "g1"), 6);
  EXPECT_EQ(at(KindKing, KingThird, "a1"), -8);
  EXPECT_EQ(at(KindKing, Fourth, "a1"), -26);
}

TEST_F(PieceSquare, PhasesAbovePromotionMaterialReadTheOpeningTables) {
  // Eight promotions to queens on each side lift the material byte past 191.
  for (int kind = KindPawn; kind <= KindKing; ++kind)
    EXPECT_EQ(table(kind, 206), table(kind, Opening));
  EXPECT_EQ(table(KindKing, PhaseCount - 1)[sq("g1")], 12);
}

TEST_F(PieceSquare, NamedEntries) {
  EXPECT_EQ(table(KindKnight, Opening)[36], 17);  // e4
  // A Black bishop on a6: the evaluation turns the board, the exchange
  // evaluator does not.
  EXPECT_EQ(table(KindBishop, Opening)[63 - sq("a6")], -12);
  EXPECT_EQ(table(KindBishop, Opening)[sq("a6")], 4);
  // The opening bishop table is lopsided.
  EXPECT_EQ(at(KindBishop, Opening, "a8"), -19);
  EXPECT_EQ(at(KindBishop, Opening, "h8"), -31);
  EXPECT_EQ(at(KindBishop, Opening, "h1"), 0);
}

TEST_F(PieceSquare, RangesOfEveryTable) {
  struct Case {
    int kind, phase;
    Range range;
  } cases[] = {
      {KindKing, Opening, {-55, 12}},   {KindKing, Second, {-35, 6}},
      {KindKing, KingThird, {-8, 4}},   {KindKing, Fourth, {-26, 9}},
      {KindPawn, Opening, {-9, 40}},    {KindPawn, Second, {-9, 53}},
      {KindPawn, PawnThird, {-9, 75}},  {KindPawn, Fourth, {-9, 104}},
      {KindKnight, Opening, {-25, 17}}, {KindKnight, Second, {-19, 13}},
      {KindBishop, Opening, {-31, 12}}, {KindBishop, Second, {-15, 13}},
      {KindRook, Opening, {-13, 12}},   {KindRook, Second, {-8, 12}},
      {KindQueen, Opening, {-4, 9}},    {KindQueen, Second, {-4, 9}},
  };
  for (const Case& c : cases) {
    const Range r = rangeOf(table(c.kind, c.phase), c.kind == KindPawn);
    EXPECT_EQ(r.low, c.range.low) << c.kind << " at " << c.phase;
    EXPECT_EQ(r.high, c.range.high) << c.kind << " at " << c.phase;
  }
}

TEST_F(PieceSquare, KingShapes) {
  const int16_t* middle = table(KindKing, Second);
  EXPECT_TRUE(fileSymmetric(middle));
  for (const char* corner : {"a1", "h1", "a8", "h8"}) EXPECT_EQ(middle[sq(corner)], 0);
  for (const char* shelter : {"b1", "g1", "b8", "g8"}) EXPECT_EQ(middle[sq(shelter)], 6);
  for (const char* centre : {"d4", "e4", "d5", "e5"}) EXPECT_EQ(middle[sq(centre)], -35);

  // Late king: two points per orthogonal step, symmetric both ways.
  const int16_t* late = table(KindKing, KingThird);
  EXPECT_TRUE(fileSymmetric(late));
  for (int s = 0; s < 64; ++s) {
    EXPECT_EQ(late[s], late[(7 - rowOf(s)) * 8 + fileOf(s)]) << s;
    if (fileOf(s) < 7 && fileOf(s) != 3) {
      EXPECT_EQ(std::abs(late[s] - late[s + 1]), 2) << s;
    }
    if (rowOf(s) < 7 && rowOf(s) != 3) {
      EXPECT_EQ(std::abs(late[s] - late[s + 8]), 2) << s;
    }
  }
  for (const char* centre : {"d4", "e4", "d5", "e5"}) EXPECT_EQ(late[sq(centre)], 4);
}

TEST_F(PieceSquare, PawnShapes) {
  const int phases[] = {Opening, Second, PawnThird, Fourth};
  for (int phase : phases) {
    const int16_t* t = table(KindPawn, phase);
    EXPECT_EQ(t[sq("d2")], -9) << phase;
    EXPECT_EQ(t[sq("e2")], -9) << phase;
    for (int f = 0; f < 8; ++f) EXPECT_EQ(t[56 + f], 0) << phase;  // rank 1
  }
  // Rank 7 and 6 spans of the later tables; the d- and e-files lead.
  struct Span {
    int phase;
    int row;
    int edge;
    int centre;
  } spans[] = {{Second, 1, 29, 53},
               {PawnThird, 1, 52, 75},
               {PawnThird, 2, 30, 45},
               {Fourth, 1, 72, 104},
               {Fourth, 2, 45, 65}};
  for (const Span& span : spans) {
    const int16_t* t = table(KindPawn, span.phase);
    EXPECT_EQ(t[span.row * 8], span.edge);
    EXPECT_EQ(t[span.row * 8 + 7], span.edge);
    EXPECT_EQ(t[span.row * 8 + 3], span.centre);
    EXPECT_EQ(t[span.row * 8 + 4], span.centre);
  }
  // In the later tables a pawn never loses by advancing, and an advanced pawn
  // is worth more the less material is left.
  for (int phase : {Second, PawnThird, Fourth}) {
    const int16_t* t = table(KindPawn, phase);
    EXPECT_TRUE(fileSymmetric(t)) << phase;
    for (int s = 8; s < 48; ++s) EXPECT_GE(t[s], t[s + 8]) << phase << " " << s;
  }
  for (int s = 8; s < 32; ++s) {
    EXPECT_GT(table(KindPawn, Second)[s], table(KindPawn, Opening)[s]) << s;
    EXPECT_GT(table(KindPawn, PawnThird)[s], table(KindPawn, Second)[s]) << s;
    EXPECT_GT(table(KindPawn, Fourth)[s], table(KindPawn, PawnThird)[s]) << s;
  }
}

TEST_F(PieceSquare, MinorPieceShapes) {
  const int16_t* knight = table(KindKnight, Opening);
  const int16_t* knightLater = table(KindKnight, Second);
  const int16_t* bishopLater = table(KindBishop, Second);
  EXPECT_TRUE(fileSymmetric(knight));
  EXPECT_TRUE(fileSymmetric(knightLater));
  for (const char* corner : {"a1", "h1", "a8", "h8"}) {
    EXPECT_EQ(knight[sq(corner)], -25);
    EXPECT_EQ(bishopLater[sq(corner)], -15);
  }
  for (const char* centre : {"d4", "e4", "d5", "e5"}) {
    EXPECT_EQ(knight[sq(centre)], 17);
    EXPECT_EQ(bishopLater[sq(centre)], 13);
  }
  // The later knight table has the opening shape, only milder.
  for (int s = 0; s < 64; ++s) {
    EXPECT_LE(std::abs(knightLater[s]), std::abs(knight[s])) << s;
    EXPECT_GE(knightLater[s] * knight[s], 0) << s;
  }
}

TEST_F(PieceSquare, HeavyPieceShapes) {
  const int16_t* rook = table(KindRook, Opening);
  const int16_t* rookLater = table(KindRook, Second);
  const int rank1[8] = {-13, -12, 0, 2, 2, 0, -12, -13};
  const int rank1Later[8] = {-8, -6, 0, 1, 1, 0, -6, -8};
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(rook[56 + f], rank1[f]) << f;
    EXPECT_EQ(rookLater[56 + f], rank1Later[f]) << f;
    EXPECT_GE(rook[8 + f], 7) << f;
  }
  // Rank 7 is each file's best square for a rook.
  for (int s = 0; s < 64; ++s) {
    EXPECT_LE(rook[s], rook[8 + fileOf(s)]) << s;
    if (s < 48) {
      EXPECT_EQ(rookLater[s], rook[s]) << s;  // only ranks 2 and 1 differ
    } else {
      EXPECT_LE(std::abs(rookLater[s]), std::abs(rook[s])) << s;
    }
  }

  const int16_t* queen = table(KindQueen, Opening);
  const int16_t* queenLater = table(KindQueen, Second);
  EXPECT_EQ(queen[sq("d1")], 9);
  EXPECT_EQ(queen[sq("e1")], 9);
  for (const int16_t* t : {queen, queenLater}) {
    EXPECT_EQ(t[sq("a1")], -4);
    EXPECT_EQ(t[sq("h1")], -4);
  }
  for (int f = 0; f < 8; ++f) {
    EXPECT_GE(queenLater[8 + f], 6);
    EXPECT_LE(queenLater[8 + f], 9);
  }
  for (const char* centre : {"d4", "e4", "d5", "e5", "c5", "f4"}) {
    EXPECT_GE(queenLater[sq(centre)], 5) << centre;
    EXPECT_LE(queenLater[sq(centre)], 7) << centre;
  }
}

}  // namespace
