#include "eval/evaluate.h"

#include <gtest/gtest.h>

#include "core/piece_square.h"
#include "core/position.h"
#include "support/test_support.h"

// Expected scores are worked out by hand from the evaluation rules. Where a
// piece-square entry enters, it is read from the table in use (the phase of
// every position here selects the late tables); everything else is counted
// on the board in the comments.
namespace {

int evaluateFen(const char* fen) {
  setUpPosition(fen);
  return Evaluate();
}

int entry(int kind, int square) { return pieceSquareTable(kind, Pos.totalMaterial)[square]; }

TEST(Evaluate, BareKingsAndALoneMinorAreDrawn) {
  EXPECT_EQ(evaluateFen("4k3/8/8/8/8/8/8/4K3 w - -"), 0);
  EXPECT_EQ(evaluateFen("4k3/8/8/8/8/8/8/3NK3 w - -"), 0);
  EXPECT_EQ(evaluateFen("4k3/8/8/8/8/8/8/3BK3 b - -"), 0);
  EXPECT_EQ(evaluateFen("3bk3/8/8/8/8/8/8/4K3 w - -"), 0);
}

TEST(Evaluate, PawnlessSideWithoutMatingMaterialIsNeverAhead) {
  // White bishop c1 (seven squares) against a Black knight in the corner,
  // phase 6: with White to move White's positive score becomes 0; with
  // Black to move Black keeps its negative one.
  EXPECT_EQ(evaluateFen("n3k3/8/8/8/8/8/8/2B1K3 w - -"), 0);
  EXPECT_LT(evaluateFen("n3k3/8/8/8/8/8/8/2B1K3 b - -"), 0);
  // The same with colours exchanged.
  EXPECT_EQ(evaluateFen("2b1k3/8/8/8/8/8/8/N3K3 b - -"), 0);
  EXPECT_LT(evaluateFen("2b1k3/8/8/8/8/8/8/N3K3 w - -"), 0);
  // A pawn or a rook keeps the score.
  EXPECT_GT(evaluateFen("n3k3/8/8/8/8/8/P7/2B1K3 w - -"), 0);
  EXPECT_GT(evaluateFen("4k3/8/8/8/8/8/8/R3K3 w - -"), 0);
}

TEST(Evaluate, RookAgainstBareKing) {
  // Kings e1/e8 read equal ending entries (-9, -9). Rook a1: open file 8+12,
  // mobility b1-d1 and a2-a8 = 10 -> 2*10-14 = 6. Balance: no minors, one
  // major more, no queens -> +100.
  const int score = evaluateFen("4k3/8/8/8/8/8/8/R3K3 w - -");
  const int expected = 500 + entry(KindRook, 56) + 20 + 6 + 100;
  EXPECT_EQ(score, expected);
  EXPECT_EQ(evaluateFen("4k3/8/8/8/8/8/8/R3K3 b - -"), -expected);
}

TEST(Evaluate, ExchangeDownAndKnightValue) {
  // Knight e4: 320 + entry + (0 pawns - 6). Black rook a8 reads entry 63:
  // open file 20, mobility b8-d8 and a7-a1 = 10 -> 6. Minor +1, major -1 ->
  // -60. Kings e1/e8 cancel.
  const int score = evaluateFen("r3k3/8/8/8/4N3/8/8/4K3 w - -");
  const int expected = (314 + entry(KindKnight, 36)) - (526 + entry(KindRook, 63)) - 60;
  EXPECT_EQ(score, expected);
  EXPECT_EQ(evaluateFen("r3k3/8/8/8/4N3/8/8/4K3 b - -"), -expected);
}

TEST(Evaluate, QueenMobilityTropismAndKingAttack) {
  // Phase 14: both exposures 0, multiplier 1. Kings a1/g8: -26 - (-19) = -7.
  // Queen d5: rank 7, file 7, a8-h1 diagonal 7, a2-g8 diagonal 6 = 27
  // squares -> 27-13 = 14; distance 3 to g8 -> tropism 4, and f7 touches
  // the king's neighbourhood -> attack sum 5.
  // Rook e1: open 20, mobility e2-e8, b1-d1, f1-h1 = 13 -> 12; distance 7 ->
  // tropism 0; no touch.
  // Balance: two majors more, only White has a queen, 14 >= 12 -> +60.
  // King attack: White's material 14 -> +1 * weight(5) = 15.
  const int score = evaluateFen("6k1/8/8/3Q4/8/8/8/K3R3 w - -");
  const int expected =
      -7 + (950 + entry(KindQueen, 27) + 14) + (500 + entry(KindRook, 60) + 20 + 12) + 60 + 15;
  EXPECT_EQ(score, expected);
}

TEST(Evaluate, TrappedBishopCountsOncePerSide) {
  // Bishops a7 and b8 are both caught (pawns b6 and c7): -220 once.
  // Each bishop's only square is the enemy pawn: 5*1 - 2 pawns - 24 = -21.
  // Both dark: no pair. Minor +2 -> +100. Kings e1/e8 cancel.
  // Black pawns (White's view): b6 reads entry 46, passed on rank 6 (32),
  // not isolated (c7) -> -(100 + e46 + 32); c7 reads entry 53, passed on
  // rank 7 (16) -> -(100 + e53 + 16).
  setUpPosition("1B2k3/B1p5/1p6/8/8/8/8/4K3 w - -");
  const int pawns = -(132 + entry(KindPawn, 46)) - (116 + entry(KindPawn, 53));
  const int bishops = 650 + entry(KindBishop, 8) + entry(KindBishop, 1) - 42 - 220;
  EXPECT_EQ(Evaluate(), pawns + bishops + 100);

  // The Black mirror on a2/b1 with White pawns b3 and c2, Black to move.
  setUpPosition("4k3/8/8/8/8/1P6/b1P5/1b2K3 b - -");
  const int whitePawns = (132 + entry(KindPawn, 41)) + (116 + entry(KindPawn, 50));
  const int blackBishops = 650 + entry(KindBishop, 15) + entry(KindBishop, 6) - 42 - 220;
  EXPECT_EQ(Evaluate(), blackBishops + 100 - whitePawns);
}

TEST(Evaluate, BishopPairNeedsBothColours) {
  // Kings e1/a8: -9 - (-26) = 17. Bishops a1 and h1 (dark and light) each
  // see 7 squares -> 2 * (35 - 24) = 22. Pair +40, minors +2 -> +100.
  const int pair = evaluateFen("k7/8/8/8/8/8/8/B3K2B w - -");
  EXPECT_EQ(pair, 17 + 650 + entry(KindBishop, 56) + entry(KindBishop, 63) + 22 + 40 + 100);
  // Bishops a1 and h2 are both dark: no pair (h2 sees g1 and g3-b8 = 7).
  const int same = evaluateFen("k7/8/8/8/8/8/7B/B3K3 w - -");
  EXPECT_EQ(same, 17 + 650 + entry(KindBishop, 56) + entry(KindBishop, 55) + 22 + 100);
}

TEST(Evaluate, RooksOnTheSeventh) {
  // Rooks a7, b7 on open files (20 each). Mobility: a7 sees a8 and a6-a2
  // = 6 -> -2; b7 sees b8, b6-b1 and c7-h7 = 13 -> 12. Two majors -> +100.
  const int rooks = 1000 + 40 - 2 + 12 + 100;
  // Black king h8 (rank 8): 18 + 18 + 48. Kings a1/h8 cancel (-26, -26).
  setUpPosition("7k/RR6/8/8/8/8/8/K7 w - -");
  EXPECT_EQ(Evaluate(), rooks + entry(KindRook, 8) + entry(KindRook, 9) + 84);
  // Black king h6: the king bonus goes, 36 remains; kings -26 - (-15).
  setUpPosition("8/RR6/7k/8/8/8/8/K7 w - -");
  EXPECT_EQ(Evaluate(), rooks + entry(KindRook, 8) + entry(KindRook, 9) + 36 - 11);
  // Black king h7 (rank 7, in check, Black to move): 18 + 18 + 18; b7 still
  // sees six squares along the rank; kings -26 - (-19).
  setUpPosition("8/RR5k/8/8/8/8/8/K7 b - -");
  EXPECT_EQ(Evaluate(), -(rooks + entry(KindRook, 8) + entry(KindRook, 9) + 54 - 7));
}

TEST(Evaluate, RookBehindItsPassedPawn) {
  // White rook a1 behind the passed a4 pawn (+20). Pawn a4: passed four
  // ranks up (48), isolated with no enemy in front (-22). Rook mobility
  // b1-g1 and a2-a3 = 8 -> 2. One major -> +100. Kings h1/h8 cancel.
  const int white = evaluateFen("7k/8/8/8/P7/8/8/R6K w - -");
  EXPECT_EQ(white,
            (100 + entry(KindPawn, 32) + 48 - 22) + (500 + entry(KindRook, 56) + 20 + 2) + 100);

  // Black rook a5 between its pawns a7 and a3. The pawn taken for a Black
  // rook is its most advanced one (a3), and the rook stands above it: +20.
  // a7: doubled (-8), not passed (a3 in front), isolated (-22) -> 70 + e55.
  // a3: doubled (-8), passed five ranks (80), isolated (-22) -> 150 + e23.
  // Rook: mobility b5-h5, a6, a4 = 9 -> 4. One major less -> -100.
  const int black = evaluateFen("7k/p7/8/r7/8/p7/8/7K b - -");
  EXPECT_EQ(black, (70 + entry(KindPawn, 55)) + (150 + entry(KindPawn, 23)) +
                       (500 + entry(KindRook, 39) + 20 + 4) + 100);
}

TEST(Evaluate, DoubledIsolatedAndPassedPawns) {
  // a3: passed two ranks (32), doubled (-8), isolated and open (-22).
  // a2: doubled (-8), no longer passed (a3 in front), isolated (-22).
  const int score = evaluateFen("4k3/8/8/8/8/P7/P7/4K3 w - -");
  EXPECT_EQ(score, (100 + entry(KindPawn, 40) + 32 - 30) + (100 + entry(KindPawn, 48) - 30));
}

TEST(Evaluate, PawnUnderPressure) {
  // White d4 is hit by c5 and e5 (pressure 3) and defended by c3 (relief 1):
  // -16. c3 is not attacked. Black e5 is isolated with no White pawn in
  // front (+22 for White); c5 is isolated but c3 stands in front (+16).
  // Nothing is passed. Kings e1/e8 cancel.
  const int score = evaluateFen("4k3/8/8/2p1p3/3P4/2P5/8/4K3 w - -");
  const int white = (100 + entry(KindPawn, 35) - 16) + (100 + entry(KindPawn, 42));
  const int black = (100 + entry(KindPawn, 35) - 22) + (100 + entry(KindPawn, 37) - 16);
  EXPECT_EQ(score, white - black);
}

TEST(Evaluate, PawnStructureIsATrueMirror) {
  // Turning the board through 180 degrees and exchanging colours and the
  // side to move leaves a pawn ending's score unchanged (both ending king
  // squares read the same symmetric table entries here).
  const char* pairs[][2] = {
      {"4k3/8/8/2p1p3/3P4/2P5/8/4K3 w - -", "3k4/8/5p2/4p3/3P1P2/8/8/3K4 b - -"},
      {"4k3/pp6/8/1P6/P7/8/5PP1/4K3 w - -", "3k4/1pp5/8/7p/6p1/8/6PP/3K4 b - -"},
      {"4k3/3p4/2p5/8/1PP5/8/P7/4K3 b - -", "3k4/7p/8/5pp1/8/5P2/4P3/3K4 w - -"},
  };
  for (const auto& pair : pairs) {
    const int a = evaluateFen(pair[0]);
    EXPECT_EQ(evaluateFen(pair[1]), a) << pair[0];
  }
}

TEST(Evaluate, PawnHashReturnsTheCachedScore) {
  setUpPosition("4k3/pp3p2/2p5/8/3P4/8/PP3PP1/4K3 w - -");
  const int first = Evaluate();
  uint32_t& slot = PawnHashTable[Pos.pawnKey & ((1u << PawnHashBits) - 1)];
  ASSERT_NE(slot & 0xFFFF, 0u);
  EXPECT_EQ(slot & 0xFFF00000u, Pos.pawnKey & 0xFFF00000u);
  EXPECT_EQ(Evaluate(), first);
  // The second call really reads the entry: a changed cached score shows.
  slot += 5;
  EXPECT_EQ(Evaluate(), first + 5);
  clearPawnHashTable();
  EXPECT_EQ(Evaluate(), first);
}

TEST(Evaluate, ScoresStayClearOfMateScores) {
  // Nine queens would be worth more than a mate; the score is capped below
  // the mate band.
  EXPECT_EQ(evaluateFen("QQQQQQQQ/Q7/8/8/8/8/8/K6k w - -"), 7900);
  EXPECT_EQ(evaluateFen("QQQQQQQQ/Q7/8/8/8/8/8/K6k b - -"), -7900);
}

TEST(KingSafety, ShelterOfACastledKing) {
  // King g1, pawns f2 g2 h3, Black queen: unit 5+6+1 = 12, two pawns on the
  // second rank 24, h3 adds 12/2 -> 30. Without the queen: 6*2 + 3 = 15.
  setUpPosition("q3k3/8/8/8/8/7P/5PP1/6K1 w - -");
  EXPECT_EQ(kingShelter(White), 30);
  setUpPosition("4k3/8/8/8/8/7P/5PP1/6K1 w - -");
  EXPECT_EQ(kingShelter(White), 15);
  // A rook still on h1 means the king has not castled.
  setUpPosition("4k3/8/8/8/8/7P/5PP1/6KR w - -");
  EXPECT_EQ(kingShelter(White), 0);
  // Queen side, king b1, pawns a2 b2 c3: unit 11-2 = 9 -> 18 (c3 does not
  // count); without the queen and with a3 instead of a2: 3 + 3/2 = 4.
  setUpPosition("q3k3/8/8/8/8/2P5/PP6/1K6 w - -");
  EXPECT_EQ(kingShelter(White), 18);
  setUpPosition("4k3/8/8/8/8/P7/1P6/1K6 w - -");
  EXPECT_EQ(kingShelter(White), 4);
  setUpPosition("4k3/8/8/8/8/8/PP6/RK6 w - -");
  EXPECT_EQ(kingShelter(White), 0);
  // Black, reflected: king g8, pawns f7 g7 h6, White queen -> 30.
  setUpPosition("6k1/5pp1/7p/8/8/8/8/Q3K3 w - -");
  EXPECT_EQ(kingShelter(Black), 30);
  EXPECT_EQ(kingShelter(White), 0);
}

TEST(KingSafety, ExposureLooksTowardsTheHFileFirst) {
  // White king e1 with pawns e2/e7 on its file: 0. f-file: only a Black f7
  // -> +2 = 2. d-file empty: +2 (below 4) -> 4, then +2 -> 6. Looking at the
  // d-file first would give 5.
  setUpPosition("4k3/4pp2/8/8/8/8/4P3/4K3 w - -");
  EXPECT_EQ(kingExposure(White), 6);
  // Black king e8: f-file lacks a White pawn -> 1; d-file empty: +2 -> 3,
  // +1 -> 4.
  EXPECT_EQ(kingExposure(Black), 4);
}

TEST(KingSafety, ExposureExtremes) {
  // No pawns at all, enemy queen: 2+2, 3+2, 3+2, +1 = 15.
  setUpPosition("4k3/8/8/8/8/8/8/q3K3 w - -");
  EXPECT_EQ(kingExposure(White), 15);
  // On the h-file only the g-file is looked at: 4 + 3 + 2 + 1 = 10.
  setUpPosition("4k3/8/8/8/8/8/8/q6K w - -");
  EXPECT_EQ(kingExposure(White), 10);
  // On the a-file, fully covered by pawns of both sides, no queen: 0.
  setUpPosition("k7/pp6/8/8/8/8/PP6/K7 w - -");
  EXPECT_EQ(kingExposure(White), 0);
  EXPECT_EQ(kingExposure(Black), 0);
}

TEST(KingSafety, AttackWeightTableAndClamp) {
  EXPECT_EQ(kingAttackWeight(0), 0);
  EXPECT_EQ(kingAttackWeight(5), 15);
  EXPECT_EQ(kingAttackWeight(47), 172);
  EXPECT_EQ(kingAttackWeight(48), 165);
  EXPECT_EQ(kingAttackWeight(57), 197);
  EXPECT_EQ(kingAttackWeight(58), 200);
  EXPECT_EQ(kingAttackWeight(127), 200);
  EXPECT_EQ(kingAttackWeight(128), 200);
  EXPECT_EQ(kingAttackWeight(255), 200);
}

}  // namespace
