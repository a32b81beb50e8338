#include "core/move_text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/position.h"
#include "support/test_support.h"

namespace {

std::string textOf(Move m) {
  char buffer[8];
  char* end = moveToText(buffer, m);
  EXPECT_LE(end - buffer, 5);
  return buffer;
}

}  // namespace

TEST(MoveToText, SquaresPromotionsAndCastling) {
  EXPECT_EQ(textOf(0x0D24), "e2e4");
  EXPECT_EQ(textOf(BlackQueenSideCastle), "e8c8");
  EXPECT_EQ(textOf(BlackKingSideCastle), "e8g8");
  EXPECT_EQ(textOf(WhiteKingSideCastle), "e1g1");
  EXPECT_EQ(textOf(WhiteQueenSideCastle), "e1c1");
  EXPECT_EQ(textOf(0x5386), "g7g8n");
  EXPECT_EQ(textOf(makeMoveValue(12, 4, PromoteQueen)), "e7e8q");
  EXPECT_EQ(textOf(makeMoveValue(12, 5, CapturePromoteBishop)), "e7f8b");
  EXPECT_EQ(textOf(makeMoveValue(51, 59, PromoteRook)), "d2d1r");
  EXPECT_EQ(textOf(makeMoveValue(36, 27, EnPassantMove)), "e4d5");
  EXPECT_EQ(textOf(Checkmated), "a8a8");  // result codes print as a square pair
}

TEST(TextToMove, PlainMovesAndMalformedText) {
  setUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_EQ(textToMove("e2e4"), 0x0D24);
  EXPECT_EQ(textToMove("g1f3"), makeMoveValue(62, 45, QuietMove));
  EXPECT_EQ(textToMove("d1d7"), makeMoveValue(59, 11, CaptureMove));  // no legality test
  EXPECT_EQ(textToMove("e1g1"), WhiteKingSideCastle);                 // by the right alone
  for (const char* bad : {"i2i4", "e9e8", "e2", "", "e2e", "e0e4", "E2E4", "e2-e4"}) {
    EXPECT_EQ(textToMove(bad), 0) << bad;
  }
  EXPECT_EQ(textToMove(nullptr), 0);
}

TEST(TextToMove, CastlingNeedsTheRight) {
  setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  EXPECT_EQ(textToMove("e1g1"), 0xDF3E);
  EXPECT_EQ(textToMove("e1c1"), 0xFF3A);
  EXPECT_EQ(textToMove("e8g8"), 0xC106);
  EXPECT_EQ(textToMove("e8c8"), 0xE102);
  setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R w Qk -");
  EXPECT_EQ(textToMove("e1g1"), 0x0F3E);
  EXPECT_EQ(textToMove("e1c1"), 0xFF3A);
  EXPECT_EQ(textToMove("e8g8"), 0xC106);
  EXPECT_EQ(textToMove("e8c8"), 0x0102);
  setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R w - -");
  EXPECT_EQ(textToMove("e1g1"), 0x0F3E);
}

TEST(TextToMove, PromotionsAndEnPassant) {
  setUpPosition("3n3k/4P3/8/3pP3/8/8/8/4K3 w - d6");
  EXPECT_EQ(textToMove("e7e8q"), makeMoveValue(12, 4, PromoteQueen));
  EXPECT_EQ(textToMove("e7e8n"), makeMoveValue(12, 4, PromoteKnight));
  EXPECT_EQ(textToMove("e7e8r"), makeMoveValue(12, 4, PromoteRook));
  EXPECT_EQ(textToMove("e7e8b"), makeMoveValue(12, 4, PromoteBishop));
  EXPECT_EQ(textToMove("e7d8q"), makeMoveValue(12, 3, CapturePromoteQueen));
  EXPECT_EQ(textToMove("e7d8b"), makeMoveValue(12, 3, CapturePromoteBishop));
  EXPECT_EQ(textToMove("e7e8Q"), makeMoveValue(12, 4, QuietMove));  // not a promotion letter
  EXPECT_EQ(textToMove("e5d6"), makeMoveValue(28, 19, EnPassantMove));
  EXPECT_EQ(textToMove("e5d6x"), makeMoveValue(28, 19, QuietMove));
  EXPECT_EQ(textToMove("e5e6"), makeMoveValue(28, 20, QuietMove));
  // A piece other than a pawn reaching the en-passant square is a plain move.
  setUpPosition("4k3/8/8/3p4/8/8/8/3QK3 w - -");
  EXPECT_EQ(textToMove("d1d5"), makeMoveValue(59, 27, CaptureMove));
  EXPECT_EQ(textToMove("d1d5q"), makeMoveValue(59, 27, CaptureMove));
}

TEST(TextToMove, ReadsTheSnapshotNotTheLiveBoard) {
  setUpPosition("4k3/8/8/8/8/8/8/R3K3 w Q -");
  // A search would change the live board; the interface's view stays.
  Pos.board[56] = Empty;
  Pos.board[48] = WhiteRook;
  Pos.castling = 0;
  EXPECT_EQ(textToMove("e1c1"), WhiteQueenSideCastle);
  EXPECT_EQ(textToMove("a2a8"), makeMoveValue(48, 0, QuietMove));
  refreshRootSnapshot();
  EXPECT_EQ(textToMove("e1c1"), makeMoveValue(60, 58, QuietMove));
  setUpPosition("4k3/8/8/8/8/8/8/R3K3 w Q -");
}
