// Draw rules against the game history, and the null move that searches pass with.
#include <gtest/gtest.h>

#include "core/key_table.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "search/alpha_beta.h"
#include "search_fixture.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

void play(std::initializer_list<const char*> moves) {
  for (const char* text : moves) {
    const Move m = textToMove(text);
    ASSERT_NE(m, 0) << text;
    ASSERT_TRUE(makeGameMove(m)) << text;
  }
}

class DrawTest : public SearchTest {};

TEST_F(DrawTest, RepetitionNeedsTheRequestedNumberOfEarlierOccurrences) {
  setUp(StartFen);
  play({"g1f3", "g8f6", "f3g1"});
  EXPECT_EQ(drawCheck(1), 0) << "three plies cannot repeat";
  play({"f6g8"});
  EXPECT_EQ(drawCheck(1), RepetitionDraw);
  EXPECT_EQ(drawCheck(2), 0);
  play({"g1f3", "g8f6", "f3g1", "f6g8"});
  EXPECT_EQ(drawCheck(2), RepetitionDraw);
}

TEST_F(DrawTest, RepetitionIsNotSoughtBeforeTheLastIrreversibleMove) {
  setUp(StartFen);
  // The knights return home, but a pawn move lies in between.
  play({"g1f3", "g8f6", "e2e3", "e7e6", "f3g1", "f6g8"});
  EXPECT_EQ(drawCheck(1), 0);
  play({"g1f3", "g8f6", "f3g1", "f6g8"});
  EXPECT_EQ(drawCheck(1), RepetitionDraw);
}

TEST_F(DrawTest, FiftyMoveRuleAndMaterial) {
  setUp("4k3/8/8/8/8/8/4P3/R3K3 w - - 0 1");
  Pos.historyTop->reversible = 99;
  EXPECT_EQ(drawCheck(1), 0);
  Pos.historyTop->reversible = 100;
  EXPECT_EQ(drawCheck(1), FiftyMoveDraw);

  setUp("4k3/8/8/8/8/8/8/3BK3 w - - 0 1");
  EXPECT_EQ(drawCheck(2), InsufficientMaterial);
  setUp("4k3/8/8/8/8/8/8/2NNK3 w - - 0 1");
  EXPECT_EQ(drawCheck(2), 0) << "two knights are six units";
  setUp("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
  EXPECT_EQ(drawCheck(2), 0) << "a pawn can still promote";
}

TEST_F(DrawTest, WalksNeverPassTheFirstHistoryEntry) {
  // A count larger than the history (as after a set-up in mid-game) must
  // stop the walks at the first entry instead of reading before it.
  setUp("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
  Pos.historyTop->reversible = 60;
  Pos.history[0].key = Pos.key;  // only entry: its own key
  EXPECT_EQ(drawCheck(1), 0);
  EXPECT_EQ(repetitionAfter(textToMove("a1a2")), 0);
  play({"a1a2", "e8d8", "a2a1"});
  EXPECT_EQ(drawCheck(1), 0);
  // d8e8 recreates the first position, which lies 4 plies below the trial entry.
  EXPECT_EQ(repetitionAfter(textToMove("d8e8")), 1);
}

TEST_F(DrawTest, RepetitionAfterAMoveNotYetMade) {
  setUp(StartFen);
  play({"g1f3", "g8f6", "f3g1"});
  const uint64_t keyBefore = Pos.key;
  const HistoryEntry* topBefore = Pos.historyTop;
  EXPECT_EQ(repetitionAfter(textToMove("f6g8")), 1);
  EXPECT_EQ(repetitionAfter(textToMove("f6h5")), 0);
  EXPECT_EQ(repetitionAfter(textToMove("e7e6")), 0) << "pawn moves never repeat";
  EXPECT_EQ(Pos.key, keyBefore);
  EXPECT_EQ(Pos.historyTop, topBefore);
  play({"f6g8", "g1f3", "g8f6"});
  EXPECT_EQ(repetitionAfter(textToMove("f3g1")), 1);
  play({"f3g1", "f6g8", "g1f3", "g8f6"});
  // The third time round two earlier occurrences are found.
  EXPECT_EQ(repetitionAfter(textToMove("f3g1")), 2);

  setUp("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1");
  Pos.historyTop->reversible = 75;
  EXPECT_EQ(repetitionAfter(textToMove("a1a2")), 1) << "close to the fifty-move rule";
  Pos.historyTop->reversible = 99;
  EXPECT_EQ(repetitionAfter(textToMove("a1a2")), 2);
  EXPECT_EQ(repetitionAfter(WhiteKingSideCastle), 0) << "castling is not a quiet move";
  Pos.historyTop->reversible = 2;
  EXPECT_EQ(repetitionAfter(textToMove("a1a2")), 0);
  EXPECT_EQ(repetitionAfter(0), 0);
  EXPECT_EQ(repetitionAfter(StandPat), 0);
}

TEST_F(DrawTest, NullMoveClearsEnPassantAndIsFullyUndone) {
  setUp("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 3");
  const uint64_t key = Pos.key;
  const uint32_t pawnKey = Pos.pawnKey;
  const int ep = Pos.enPassant;
  ASSERT_NE(ep, 0);
  HistoryEntry* top = Pos.historyTop;
  const uint16_t reversible = top->reversible;

  PlyState record;
  makeNullMove(record);
  EXPECT_EQ(Pos.side, White);
  EXPECT_EQ(Pos.enPassant, 0);
  EXPECT_EQ(Pos.key, key ^ KeyTable[0][ep]);
  EXPECT_EQ(Pos.pawnKey, pawnKey ^ static_cast<uint32_t>(KeyTable[0][ep]));
  EXPECT_EQ(Pos.historyTop, top + 1);
  EXPECT_EQ(top->move, NullMoveMarker);
  EXPECT_EQ(Pos.historyTop->key, Pos.key);
  EXPECT_EQ(Pos.historyTop->reversible, reversible + 1);
  EXPECT_TRUE(positionIsConsistent());

  unmakeNullMove(record);
  EXPECT_EQ(Pos.side, Black);
  EXPECT_EQ(Pos.enPassant, ep);
  EXPECT_EQ(Pos.key, key);
  EXPECT_EQ(Pos.pawnKey, pawnKey);
  EXPECT_EQ(Pos.historyTop, top);
  EXPECT_TRUE(positionIsConsistent());
}

}  // namespace
