// Capture search: stand pat, its table entries, mates on a checked path,
// king captures and the depth and ply limits.
#include "search/quiescence.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/make_move.h"
#include "core/move_text.h"
#include "eval/evaluate.h"
#include "search_fixture.h"

namespace {

class QuiescenceTest : public SearchTest {};

TEST_F(QuiescenceTest, QuietStandPatInsideTheWindowStoresNothing) {
  setUp("4k3/8/8/8/8/8/8/4K2R w K - 0 1");
  enterPly(1);
  const int standPat = Evaluate();
  EXPECT_EQ(quiescence(0, 1, standPat - 100, standPat + 100), standPat);
  EXPECT_EQ(probe(Pos.key, Pos.side), nullptr);
  EXPECT_EQ(CurrentPly, PlyStack + 1);
}

TEST_F(QuiescenceTest, StandPatAtBetaStoresALowerBound) {
  setUp("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1");
  enterPly(2);
  const int standPat = Evaluate();
  EXPECT_EQ(quiescence(0, 2, standPat - 200, standPat), standPat);
  const HashEntry* entry = probe(Pos.key, Pos.side);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->move(), StandPat);
  EXPECT_EQ(entry->bound(), LowerBound);
  EXPECT_EQ(entry->depth(), 0);
  EXPECT_EQ(entry->score(), standPat);
}

TEST_F(QuiescenceTest, MateIsSeenOnlyWhenTheSideWasCheckedOnThePath) {
  const char* mated = "R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1";
  setUp(mated);
  enterPly(5);
  InCheckCount[Black] = 1;
  EXPECT_EQ(quiescence(0, 5, -IllegalScore, IllegalScore), 5 - MateBase);
  const HashEntry* entry = probe(Pos.key, Pos.side);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->move(), Checkmated);
  EXPECT_EQ(entry->bound(), ExactBound);
  EXPECT_EQ(entry->score(), 5 - MateBase);

  // Never checked on the path: the node is treated as quiet (no captures here).
  setUp(mated);
  InCheckCount[Black] = 0;
  enterPly(5);
  EXPECT_EQ(quiescence(0, 5, -IllegalScore, IllegalScore), Evaluate());
}

TEST_F(QuiescenceTest, CheckedSideWithAnEscapeScoresTheEscape) {
  // Black is in check from the rook and can only take it.
  setUp("R5k1/5p1p/6p1/8/8/8/8/6K1 b - - 0 1");
  enterPly(3);
  InCheckCount[Black] = 1;
  const int score = quiescence(0, 3, -IllegalScore, IllegalScore);
  EXPECT_GT(score, -MateBase + 100) << "Kg7 or the pawn wall: not mated";
  EXPECT_NE(probe(Pos.key, Pos.side), nullptr);
}

TEST_F(QuiescenceTest, KingCaptureScoresTheMaximum) {
  setUp("k7/8/8/8/8/8/8/R3K3 w - - 0 1");
  enterPly(1);
  EXPECT_EQ(quiescence(0, 1, -IllegalScore, IllegalScore), IllegalScore);
}

// Expected value of a node at the depth floor: the better of the stand pat
// and the negated evaluation after each capture.
int floorValue(std::initializer_list<const char*> captures) {
  int best = Evaluate();
  for (const char* text : captures) {
    const Move m = textToMove(text);
    PlyState record;
    savePlyState(record);
    makeMove(m, record);
    best = std::max(best, -static_cast<int>(Evaluate()));
    unmakeMove(m, record);
  }
  return best;
}

TEST_F(QuiescenceTest, DepthFloorAndLastPlyScoreCapturesByEvaluation) {
  // A defended pawn: one capture, which a deeper search would score otherwise.
  const char* fen = "4k3/8/2p5/3p4/4P3/8/8/4K3 w - - 0 1";
  setUp(fen);
  enterPly(4);
  const int expected = floorValue({"e4d5"});
  EXPECT_EQ(quiescence(QuiescenceDepthFloor, 4, -IllegalScore, IllegalScore), expected);
  EXPECT_EQ(CurrentPly, PlyStack + 4);

  // The last record has no successor: the same evaluation, and no record past it.
  setUp(fen);
  enterPly(LastPly);
  EXPECT_EQ(quiescence(0, LastPly, -IllegalScore, IllegalScore), expected);
  EXPECT_EQ(CurrentPly, PlyStack + LastPly);
  EXPECT_TRUE(positionIsConsistent());
}

TEST_F(QuiescenceTest, CapturesIntoBareMaterialScoreZero) {
  // Bxd5 leaves a lone bishop, no mating material; the stand pat (the
  // exchange down) is worse.
  setUp("4k3/8/8/3r4/8/1B6/8/7K w - - 0 1");
  enterPly(1);
  ASSERT_LT(Evaluate(), 0);
  EXPECT_EQ(quiescence(0, 1, -IllegalScore, IllegalScore), 0);
}

}  // namespace
