#include "movegen/legal_moves.h"

#include <gtest/gtest.h>

#include "core/move_text.h"
#include "core/position.h"
#include "support/test_support.h"

namespace {

bool legal(const char* fen, const char* move) {
  setUpPosition(fen);
  return isLegalMove(textToMove(move));
}

TEST(GameMoves, PinsChecksAndCastlingPaths) {
  // The knight on d2 is pinned by the bishop on b4.
  EXPECT_FALSE(legal("4k3/8/8/8/1b6/8/3N4/4K3 w - - 0 1", "d2f3"));
  EXPECT_TRUE(legal("4k3/8/8/8/1b6/8/3N4/4K3 w - - 0 1", "e1f1"));
  // In check only evasions: the rook must block or the king step aside.
  EXPECT_FALSE(legal("4r2k/8/8/8/8/8/R7/4K3 w - - 0 1", "a2a3"));
  EXPECT_TRUE(legal("4r2k/8/8/8/8/8/R7/4K3 w - - 0 1", "a2e2"));
  // Castling through an attacked square, out of check, and with the right.
  EXPECT_FALSE(legal("4k3/8/8/8/8/8/5r2/4K2R w K - 0 1", "e1g1"));
  EXPECT_FALSE(legal("4k3/8/8/8/8/8/4r3/4K2R w K - 0 1", "e1g1"));
  EXPECT_TRUE(legal("4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1"));
  // An en-passant capture that would expose the king along the rank.
  EXPECT_FALSE(legal("8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "e5d6"));
  EXPECT_TRUE(legal("8/8/8/K2pP3/8/8/8/7k w - d6 0 1", "e5d6"));
}

TEST(GameMoves, NonMovesAreNeverLegal) {
  setUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_FALSE(isLegalMove(0));
  EXPECT_FALSE(isLegalMove(Checkmated));
  EXPECT_FALSE(isLegalMove(NoMoveYet));
  EXPECT_FALSE(isLegalMove(StandPat));
  // A move of the other side.
  EXPECT_FALSE(isLegalMove(textToMove("e7e5")));
  // Probing leaves the position as it was.
  char before[100];
  char after[100];
  writeFen(before);
  Move first = firstLegalMove();
  EXPECT_TRUE(isLegalMove(first));
  writeFen(after);
  EXPECT_STREQ(before, after);
  EXPECT_TRUE(positionIsConsistent());
}

TEST(GameMoves, MateAndStalemateHaveNoLegalMove) {
  setUpPosition("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1");
  EXPECT_EQ(firstLegalMove(), 0);
  EXPECT_TRUE(sideToMoveInCheck());
  setUpPosition("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
  EXPECT_EQ(firstLegalMove(), 0);
  EXPECT_FALSE(sideToMoveInCheck());
}

TEST(GameMoves, AnEmptyBoardIsNoPosition) {
  Pos = Position{};
  EXPECT_FALSE(positionIsSetUp());
  EXPECT_EQ(firstLegalMove(), 0);
  EXPECT_FALSE(isLegalMove(textToMove("e2e4")));
  setUpPosition("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_TRUE(positionIsSetUp());
}

}  // namespace
