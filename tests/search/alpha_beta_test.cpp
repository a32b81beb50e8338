// Alpha-beta nodes: results without legal moves, the table's cutoff rule,
// the null move's conditions and reductions, and the ply limit.
#include "search/alpha_beta.h"

#include <gtest/gtest.h>

#include "core/make_move.h"
#include "core/move_text.h"
#include "search_fixture.h"

namespace {

class AlphaBetaTest : public SearchTest {};

TEST_F(AlphaBetaTest, StalemateInsideTheTreeScoresZeroAndIsStored) {
  setUp("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
  enterPly(1);
  EXPECT_EQ(alphaBeta(2, 1, -FullWindow, FullWindow, true), 0);
  const HashEntry* entry = probe(Pos.key, Pos.side);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->move(), Stalemated);
  EXPECT_EQ(entry->score(), 0);
  EXPECT_EQ(entry->bound(), ExactBound);
}

TEST_F(AlphaBetaTest, MateIsScoredByItsDistanceFromTheRoot) {
  setUp("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  enterPly(3);
  EXPECT_EQ(alphaBeta(1, 3, -FullWindow, FullWindow, true), 3 - MateBase);
  const HashEntry* entry = probe(Pos.key, Pos.side);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->move(), Checkmated);
  EXPECT_EQ(entry->score(), -8097);
  EXPECT_EQ(InCheckCount[Black], 0) << "the check count is given back on exit";
  EXPECT_EQ(CurrentPly, PlyStack + 3);
}

TEST_F(AlphaBetaTest, TableCutoffIsRefusedWhenItsMoveWouldRepeat) {
  const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const int fakeScore = 1234;
  for (const char* hashMove : {"f6g8", "b8c6"}) {
    setUp(start);
    for (const char* text : {"g1f3", "g8f6", "f3g1"}) ASSERT_TRUE(makeGameMove(textToMove(text)));
    store(Pos.key, Pos.side, textToMove(hashMove), fakeScore, 10, ExactBound);
    enterPly(1);
    const int score = alphaBeta(2, 1, -FullWindow, FullWindow, true);
    if (repetitionAfter(textToMove(hashMove)) > 0) {
      EXPECT_NE(score, fakeScore) << "f6g8 repeats the start position: the node must be searched";
    } else {
      EXPECT_EQ(score, fakeScore) << hashMove;
    }
  }
}

// The null move leaves the same placement with the other side to move; no
// sequence of real moves reaches that within four plies, so an entry in the
// other side's table proves that the null move was searched.
int nullMoveDepth(const char* fen, int depth, bool nullAllowed) {
  setUpPosition(fen);
  CurrentPly = PlyStack + 1;
  PlyStack[0].listEnd = MoveBuffer;
  PlyStack[1].listEnd = nullptr;  // as the search leaves every child it enters
  InCheckCount[0] = InCheckCount[1] = 0;
  alphaBeta(depth, 1, -FullWindow, FullWindow, nullAllowed);
  const HashEntry* entry = probe(Pos.key, opposite(Pos.side));
  return entry ? entry->depth() : -1;
}

TEST_F(AlphaBetaTest, NullMoveConditions) {
  EXPECT_GE(nullMoveDepth("4k3/8/8/8/8/8/2N5/4K3 w - - 0 1", 3, true), 0);
  EXPECT_EQ(nullMoveDepth("4k3/8/8/8/8/8/2N5/4K3 w - - 0 1", 3, false), -1)
      << "right after a null move";
  EXPECT_EQ(nullMoveDepth("4k3/8/8/8/8/8/3PPP2/4K3 w - - 0 1", 3, true), -1)
      << "king and pawns only";
  EXPECT_EQ(nullMoveDepth("4k3/8/8/8/8/8/2N5/r3K3 w - - 0 1", 3, true), -1) << "in check";
}

TEST_F(AlphaBetaTest, NullMoveReductionDependsOnDepthAndMaterial) {
  const char* withQueen = "4k3/pp6/8/8/8/8/PP6/3QK3 w - - 0 1";
  const char* withRookAndKnight = "4k3/pp6/8/8/8/8/PP6/2NRK3 w - - 0 1";
  EXPECT_EQ(nullMoveDepth(withQueen, 7, true), 3) << "R = 3";
  EXPECT_EQ(nullMoveDepth(withQueen, 6, true), 3) << "R = 2 below depth 7";
  EXPECT_EQ(nullMoveDepth(withRookAndKnight, 7, true), 4) << "R = 2 with less than a queen's worth";
}

TEST_F(AlphaBetaTest, NullMoveTriedOnlyWhenTheTableDoesNotSayTheNodeIsLow) {
  const char* fen = "4k3/8/8/8/8/8/2N5/4K3 w - - 0 1";
  setUp(fen);
  // An upper bound below beta, deep enough for depth 3 (at least depth - R - 1).
  store(Pos.key, Pos.side, textToMove("c2d4"), -50, 1, UpperBound);
  enterPly(1);
  alphaBeta(3, 1, -FullWindow, 0, true);
  EXPECT_EQ(probe(Pos.key, opposite(Pos.side)), nullptr);
}

TEST_F(AlphaBetaTest, NullMoveChildNeverReusesAnOldList) {
  // The record above holds the list of whatever was searched there before;
  // the null move's child must generate its own. White is far ahead, so at
  // this window the null move's result decides the node.
  const char* fen = "4k3/pp6/8/8/8/8/PP6/2NRK3 w - - 0 1";
  setUp(fen);
  enterPly(1);
  const int fresh = alphaBeta(5, 1, 99, 100, true);
  setUp(fen);
  enterPly(1);
  PlyStack[2].listEnd = MoveBuffer + 3;  // ends before the child's list would start
  EXPECT_EQ(alphaBeta(5, 1, 99, 100, true), fresh);
}

TEST_F(AlphaBetaTest, DeepPliesNeverRunPastTheStack) {
  // Checks on both sides keep extensions going; started at the last
  // alpha-beta ply with a large depth, null moves and re-searches would
  // step past the stack without the ply limit.
  setUp("r3k2r/ppp2ppp/2n1bq2/3pp3/3PP3/2N1BQ2/PPP2PPP/R3K2R w KQkq - 0 1");
  enterPly(LastAlphaBetaPly);
  const uint64_t key = Pos.key;
  const int score = alphaBeta(12, LastAlphaBetaPly, -FullWindow, FullWindow, true);
  EXPECT_GT(score, -MateBase);
  EXPECT_LT(score, MateBase);
  EXPECT_EQ(CurrentPly, PlyStack + LastAlphaBetaPly);
  EXPECT_EQ(Pos.key, key);
  EXPECT_TRUE(positionIsConsistent());

  setUp("r3k2r/ppp2ppp/2n1bq2/3pp3/3PP3/2N1BQ2/PPP2PPP/R3K2R w KQkq - 0 1");
  enterPly(LastPly);
  alphaBeta(6, LastPly, -FullWindow, FullWindow, true);
  EXPECT_EQ(CurrentPly, PlyStack + LastPly);
  EXPECT_TRUE(positionIsConsistent());
}

TEST_F(AlphaBetaTest, PendingInputStopsTheSearchAtThePoll) {
  setUp("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 1");
  sendInput("?\n");
  IterationDepth = 3;
  enterPly(1);
  alphaBeta(30, 1, -FullWindow, FullWindow, true);
  EXPECT_TRUE(StopSearch);
  EXPECT_LE(NodeCount, 4 * PollInterval) << "the stop comes at the first poll";
  EXPECT_EQ(InCheckCount[0] + InCheckCount[1], 0);
  EXPECT_EQ(CurrentPly, PlyStack + 1);
  EXPECT_TRUE(positionIsConsistent());
}

}  // namespace
