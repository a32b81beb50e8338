#include "game/game.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/move_text.h"
#include "core/position.h"
#include "search/ordering_tables.h"
#include "search/transposition.h"
#include "support/test_support.h"

namespace {

constexpr const char* Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string fenOfPos() {
  char text[96];
  writeFen(text);
  return text;
}

}  // namespace

TEST(SetUpGame, TestMoveFields) {
  ensureTablesInitialized();
  ASSERT_TRUE(setUpGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 bm Nf3;"));
  EXPECT_EQ(BestTestMove, makeMoveValue(62, 45, QuietMove));
  EXPECT_EQ(AvoidTestMove, 0);
  ASSERT_TRUE(setUpGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - am e4; id \"x\";"));
  EXPECT_EQ(AvoidTestMove, makeMoveValue(52, 36, QuietMove));
  EXPECT_EQ(BestTestMove, 0);
  // Without a terminator, or longer than nine characters, the move does not count.
  ASSERT_TRUE(setUpGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 bm Nf3"));
  EXPECT_EQ(BestTestMove, 0);
  ASSERT_TRUE(setUpGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 bm Nf3Nf3Nf3N;"));
  EXPECT_EQ(BestTestMove, 0);
  // A field missing its en-passant dash is still found.
  ASSERT_TRUE(setUpGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq bm d4;"));
  EXPECT_EQ(BestTestMove, makeMoveValue(51, 35, QuietMove));
  EXPECT_EQ(Pos.enPassant, 0);

  // An unreadable move is reported; the position stays set up.
  ensureTablesInitialized();
  setUpPosition("4k3/8/8/8/8/8/8/4K3 w - -");
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(setUpGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 bm Zz9;"));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Warning cannot recognize move: Zz9\r\n");
  EXPECT_EQ(fenOfPos(), Start);
  EXPECT_EQ(BestTestMove, 0);
  EXPECT_TRUE(positionIsConsistent());
}

// A new game starts with empty search tables; a refused text (here kings on
// touching squares, which readFen alone accepts) leaves position and tables.
TEST(SetUpGame, ClearsTablesAndRefusesUnplayableSetUps) {
  ensureTablesInitialized();
  ASSERT_TRUE(setUpGame(Start));
  store(Pos.key, Pos.side, textToMove("e2e4"), 10, 5, ExactBound);
  EXPECT_FALSE(setUpGame("8/8/8/3kK3/8/8/8/8 w - -"));
  EXPECT_EQ(fenOfPos(), Start);
  EXPECT_NE(probe(Pos.key, Pos.side), nullptr);
  ASSERT_TRUE(setUpGame(Start));
  EXPECT_EQ(probe(Pos.key, Pos.side), nullptr);
}

TEST(PlayGameMove, ResetsTheMoveOrdering) {
  ensureTablesInitialized();
  ASSERT_TRUE(setUpGame(Start));
  HistoryTable[White][100] = 7;
  CutoffStatistics.tried[WhiteKnight][10] = 99;
  ASSERT_TRUE(playGameMove(textToMove("e2e4")));
  EXPECT_EQ(HistoryTable[White][100], 0u);
  EXPECT_EQ(CutoffStatistics.tried[WhiteKnight][10], 1u);
  EXPECT_FALSE(playGameMove(0));
}
