// The strong search on positions with known answers, and its table's mate
// scores.
#include "strong/strong_search.h"

#include <gtest/gtest.h>

#include "core/move_text.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/time_budget.h"
#include "strong/clock_inputs.h"
#include "strong/strong_limits.h"
#include "strong/strong_table.h"
#include "support/test_support.h"

namespace {

class StrongSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureTablesInitialized();
    initStrongSearch();
    setSearchReporter(nullptr);
    StrongClock = ClockInputs{};
    MoveTimeBudget = MaxMoveTimeBudget;
    PonderingSearch = false;
    StopSearch = false;
    NodeLimit = 0;
    MultiPvLines = 1;
  }
  void TearDown() override { MaxSearchDepth = MaxIterationDepth; }

  Move searchTo(const char* fen, int depth) {
    setUpPosition(fen);
    clearStrongTables();
    MaxSearchDepth = depth;
    return strongIterativeDeepening();
  }
};

TEST_F(StrongSearch, FindsMatesAndReportsTheirDistance) {
  struct Case {
    const char* fen;
    const char* move;
    int plies;
  };
  const Case cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1d8", 1},
      // Mate in two: the queen sacrifice opens the king to the bishop.
      {"r1bq2r1/b4pk1/p1pp1p2/1p2pP2/1P2P1PB/3P4/1PPQ2P1/R3K2R w - - 0 1", "d2h6", 3},
      // The mated side sees its mate coming.
      {"3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", nullptr, 0},
  };
  for (const Case& c : cases) {
    const Move m = searchTo(c.fen, 8);
    if (c.move == nullptr) {
      EXPECT_EQ(m, Checkmated) << c.fen;
      continue;
    }
    char text[8];
    moveToText(text, m);
    EXPECT_STREQ(text, c.move) << c.fen;
    EXPECT_EQ(SearchBestScore, MateBase - c.plies) << c.fen;
  }
}

TEST_F(StrongSearch, EveryAnswerIsALegalMoveAtEveryDepthAndNodeLimit) {
  const char* fens[] = {
      "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
      "8/8/4k3/8/2p5/8/B1P5/5K2 b - - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
  };
  for (const char* fen : fens) {
    for (unsigned nodes : {1u, 500u, 20000u}) {
      setUpPosition(fen);
      NodeLimit = nodes;
      MaxSearchDepth = MaxIterationDepth;
      const Move m = strongIterativeDeepening();
      EXPECT_TRUE(isLegalMove(m)) << fen << " nodes " << nodes;
    }
  }
}

TEST_F(StrongSearch, AMateScoreSurvivesATableRoundTripAtAnotherPly) {
  StrongTable table;
  ASSERT_TRUE(table.resize(1));
  const uint64_t key = 0x123456789ABCDEF0ULL;
  // Found at ply 4: mate five plies below that node (nine from that root).
  bool found = false;
  StrongEntry* entry = table.probe(key, found);
  EXPECT_FALSE(found);
  table.store(entry, key, 0, scoreToTable(MateValue - 9, 4), 0, 6, BoundExact);
  entry = table.probe(key, found);
  ASSERT_TRUE(found);
  // Met again at ply 2 of a later search: the same mate, seven plies away.
  EXPECT_EQ(scoreFromTable(entry->score, 2), MateValue - 7);
  table.store(entry, key, 0, scoreToTable(-MateValue + 9, 4), 0, 6, BoundExact);
  EXPECT_EQ(scoreFromTable(table.probe(key, found)->score, 2), -MateValue + 7);
}

}  // namespace
