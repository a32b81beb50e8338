#include "movegen/exchange.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/piece_square.h"
#include "core/position.h"
#include "movegen/generators.h"
#include "support/test_support.h"

namespace {

constexpr int sq(const char* name) { return squareOf(name[0] - 'a', name[1] - '0'); }

// Piece-square entry as the exchange evaluator reads it: at the square number
// itself for both colours.
int entry(PieceCode piece, const char* square) {
  return pieceSquareTable(kindOf(piece), Pos.totalMaterial)[sq(square)];
}

// Score of the piece on `from` moving to `to`, with the sliders the
// generators would pass.
int scoreOf(const char* fen, const char* from, const char* to) {
  setUpPosition(fen);
  const Bitboard queens = Pos.pieces[WhiteQueen] | Pos.pieces[BlackQueen];
  const Bitboard orthogonal = Pos.pieces[WhiteRook] | Pos.pieces[BlackRook] | queens;
  const Bitboard diagonal = Pos.pieces[WhiteBishop] | Pos.pieces[BlackBishop] | queens;
  return exchangeScore(Pos.board[sq(from)], sq(from), sq(to), orthogonal, diagonal);
}

}  // namespace

// The expected value reads the piece-square tables at the phase of the
// position, so it is formed only after the score has set the position up.
#define EXPECT_SCORE(score, expected) \
  do {                                \
    const int actual = (score);       \
    EXPECT_EQ(actual, (expected));    \
  } while (0)

TEST(ExchangeScore, UndefendedVictimWinsItsValuePlusPositionalTerms) {
  EXPECT_SCORE(
      scoreOf("7k/8/8/4p3/8/8/8/K3R3 w - - 0 1", "e1", "e5"),
      -entry(WhiteRook, "e1") + entry(WhiteRook, "e5") + 100 + entry(BlackPawn, "e5") - 9500);

  // Black reads the tables at the same square numbers, unmirrored (the
  // evaluation would read d7 at its turned square e2).
  const int black = scoreOf("7k/r2P4/8/8/8/8/8/4K3 b - - 0 1", "a7", "d7");
  ASSERT_NE(entry(WhitePawn, "d7"), entry(WhitePawn, "e2"));
  EXPECT_EQ(black,
            -entry(BlackRook, "a7") + entry(BlackRook, "d7") + 100 + entry(WhitePawn, "d7") - 9500);
}

TEST(ExchangeScore, VictimDefendedByPawnEndsEarlyForTheDefender) {
  // Pawn takes rook back: 400 - 100 > 50, so the defender's gain settles it.
  EXPECT_SCORE(scoreOf("7k/8/3p4/4p3/8/8/8/K3R3 w - - 0 1", "e1", "e5"),
               -entry(WhiteRook, "e1") + entry(WhiteRook, "e5") + 50 - 400 - 30000);
}

TEST(ExchangeScore, EarlyFinishForTheMoverKeepsTheFirstGain) {
  // Nxe5 Qxe5 dxe5: after the queen recaptures, the pawn's recapture gains far
  // more than the margin for the side to move.
  EXPECT_SCORE(
      scoreOf("7k/4q3/8/4p3/3P4/5N2/8/K7 w - - 0 1", "f3", "e5"),
      -entry(WhiteKnight, "f3") + entry(WhiteKnight, "e5") + 100 + entry(BlackPawn, "e5") - 9500);
}

TEST(ExchangeScore, PushPromotionGainsTheQueenUnlessTakenBack) {
  EXPECT_SCORE(scoreOf("7k/1P6/8/8/8/8/8/K7 w - - 0 1", "b7", "b8"),
               -entry(WhitePawn, "b7") + entry(WhiteQueen, "b8") + 800 - 9500);
  // The a8 rook takes the new queen: 950 - 800 = 150 for Black, nothing back.
  EXPECT_SCORE(scoreOf("r6k/1P6/8/8/8/8/8/K7 w - - 0 1", "b7", "b8"),
               -entry(WhitePawn, "b7") + entry(WhiteQueen, "b8") - 150 - 30000);
  // Black promotes on rank 1.
  EXPECT_SCORE(scoreOf("7k/8/8/8/8/8/6p1/K7 b - - 0 1", "g2", "g1"),
               -entry(BlackPawn, "g2") + entry(BlackQueen, "g1") + 800 - 9500);
}

TEST(ExchangeScore, KingCapturesOnlyUndefendedVictims) {
  EXPECT_EQ(scoreOf("7k/8/8/8/1b6/8/3n4/4K3 w - - 0 1", "e1", "d2"), MoveScore::DroppedKingCapture);
  EXPECT_SCORE(
      scoreOf("7k/8/8/8/8/8/3n4/4K3 w - - 0 1", "e1", "d2"),
      -entry(WhiteKing, "e1") + entry(WhiteKing, "d2") + 320 + entry(BlackKnight, "d2") - 9500);
}

TEST(ExchangeScore, KingRecapturesOnlyAsTheVeryLastCapturer) {
  // Rxe5 Kxe5 loses the rook for a pawn ...
  EXPECT_SCORE(scoreOf("8/8/4k3/4p3/8/8/8/K3R3 w - - 0 1", "e1", "e5"),
               -entry(WhiteRook, "e1") + entry(WhiteRook, "e5") - 400 - 30000);
  // ... but with the knight covering e5 the king cannot take back.
  EXPECT_SCORE(
      scoreOf("8/8/4k3/4p3/8/5N2/8/K3R3 w - - 0 1", "e1", "e5"),
      -entry(WhiteRook, "e1") + entry(WhiteRook, "e5") + 100 + entry(BlackPawn, "e5") - 9500);
}

TEST(ExchangeScore, RookBehindTheMoverJoinsByXRay) {
  // Rd2xd6 Rxd6 Rd1xd6: the rear rook recaptures, so the pawn is won.
  EXPECT_SCORE(
      scoreOf("3r3k/8/3p4/8/8/8/3R4/3R3K w - - 0 1", "d2", "d6"),
      -entry(WhiteRook, "d2") + entry(WhiteRook, "d6") + 100 + entry(BlackPawn, "d6") - 9500);
  // Without the rear rook the rook is lost for the pawn.
  EXPECT_SCORE(scoreOf("3r3k/8/3p4/8/8/8/3R4/7K w - - 0 1", "d2", "d6"),
               -entry(WhiteRook, "d2") + entry(WhiteRook, "d6") - 400 - 30000);
}

TEST(ExchangeScore, DoubledRooksBothTakePartAfterTheFrontOneCaptured) {
  // Nxd6 Bxd6 Rxd6 Rxd6 Rxd6: the d1 rook appears only once d2 has captured.
  EXPECT_SCORE(
      scoreOf("3r1b1k/8/3p4/8/4N3/8/3R4/3R3K w - - 0 1", "e4", "d6"),
      -entry(WhiteKnight, "e4") + entry(WhiteKnight, "d6") + 100 + entry(BlackPawn, "d6") - 9500);
  // One rook fewer and the knight is lost: 100 - 320 = -220.
  EXPECT_SCORE(scoreOf("3r1b1k/8/3p4/8/4N3/8/3R4/7K w - - 0 1", "e4", "d6"),
               -entry(WhiteKnight, "e4") + entry(WhiteKnight, "d6") - 220 - 30000);
}

TEST(ExchangeScore, RookUncoveredBehindAQueenIsStillFound) {
  // Nxd6 Qxd6 Qxd6 Rxd6: Black's rook stands behind its queen, and the search
  // for Black's next capturer must step back from queens to rooks to see it.
  EXPECT_SCORE(scoreOf("3r3k/3q4/3p4/8/4N3/8/8/3Q3K w - - 0 1", "e4", "d6"),
               -entry(WhiteKnight, "e4") + entry(WhiteKnight, "d6") - 220 - 30000);
}

TEST(ExchangeScore, LeavesThePositionUntouched) {
  setUpPosition("3r1b1k/8/3p4/8/4N3/8/3R4/3R3K w - - 0 1");
  const Position before = Pos;
  const Bitboard queens = Pos.pieces[WhiteQueen] | Pos.pieces[BlackQueen];
  exchangeScore(WhiteKnight, sq("e4"), sq("d6"),
                Pos.pieces[WhiteRook] | Pos.pieces[BlackRook] | queens,
                Pos.pieces[BlackBishop] | queens);
  EXPECT_EQ(std::memcmp(&before.pieces, &Pos.pieces, sizeof Pos.pieces), 0);
  EXPECT_EQ(std::memcmp(&before.board, &Pos.board, sizeof Pos.board), 0);
  EXPECT_EQ(before.all, Pos.all);
  EXPECT_EQ(before.key, Pos.key);
}
