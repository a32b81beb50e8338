// Forced mates: the search must report exactly the mate distance, and its
// move must keep the mate forced. A plain full-width oracle confirms every
// position first, so a wrong entry in the list cannot pass silently.
#include <gtest/gtest.h>

#include "core/make_move.h"
#include "mate_oracle.h"
#include "search/root_search.h"
#include "search_fixture.h"

namespace {

struct MateCase {
  const char* fen;
  int moves;  // mate in this many moves of the side to move
};

const MateCase MateCases[] = {
    // In one: back rank, smothered, queen with king, rook with king, early
    // queen mates, a castling mate and mates by Black.
    {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1},
    {"r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 1},
    {"6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1", 1},
    {"7k/8/5K2/8/8/8/8/6Q1 w - - 0 1", 1},
    {"4k3/R7/4K3/8/8/8/8/8 w - - 0 1", 1},
    {"r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5Q2/PPPP1PPP/RNB1K1NR w KQkq - 0 1", 1},
    {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 1", 1},
    {"8/8/8/8/8/8/R7/R3K2k w Q - 0 1", 1},
    // In two.
    {"r1bq2rk/pp3pbp/2p1p1pQ/7P/3P4/2PB1N2/PP3PPR/2KR4 w - - 0 1", 2},
    {"5k2/6pp/p1qN4/1p1p4/3P4/2PKP2Q/PP3r2/3R4 b - - 0 1", 2},
    {"4k1r1/2p3r1/1pR1p3/3pP2p/3P2qP/P4N2/1PQ4P/5R1K b - - 0 1", 2},
    {"7k/pp4np/2p3p1/3pN1q1/3P4/Q7/1r3rPP/2R2RK1 w - - 0 1", 2},
    {"r3kr2/1pp4p/1p1p4/7q/4P1n1/2PP2Q1/PP4P1/R1BB2K1 b q - 0 1", 2},
    {"rn1qr1k1/1p2np2/2p3p1/8/1pPb4/7Q/PB1P1PP1/2KR1B1R w - - 0 1", 2},
    {"r1b1qN1k/1pp3p1/p2p3n/4p1B1/8/1BP4Q/PP3KPP/8 w - - 0 1", 2},
    {"6R1/4qp1p/ppr1n1pk/8/1P2P1QP/6N1/P4PP1/6K1 w - - 0 1", 2},
    // In three.
    {"k4r2/1R4pb/1pQp1n1p/3P4/5p1P/3P2P1/r1q1R2K/8 w - - 0 1", 3},
    {"8/6pp/3q1p2/3n1k2/1P6/3NQ2P/5PP1/6K1 w - - 0 1", 3},
    {"r3k2r/pbp2pp1/3b1n2/1p6/3P3p/1B2N1Pq/PP1PQP1P/R1B2RK1 b kq - 0 1", 3},
    {"6k1/5p2/p5np/4B3/3P4/1PP1q3/P3r1QP/6RK w - - 0 1", 3},
    {"2Q2n2/2R4p/1p1qpp1k/8/3P3P/3B2P1/5PK1/r7 w - - 0 1", 3},
    {"5r1k/p5pp/8/1P1pq3/P1p2nR1/Q7/5BPP/6K1 b - - 0 1", 3},
    {"7k/1p4p1/7p/3P1n2/4Q3/2P2P2/PP3qRP/7K b - - 0 1", 3},
    {"7k/p4q1p/1pb5/2p5/4B2Q/2P1B3/P6P/7K b - - 0 1", 3},
};

class MateSearch : public SearchTest, public ::testing::WithParamInterface<MateCase> {};

TEST_P(MateSearch, FindsTheMateAtItsExactDistance) {
  const MateCase& c = GetParam();
  setUp(c.fen);
  ASSERT_EQ(shortestMate(c.moves), c.moves) << "the oracle disagrees with the list: " << c.fen;

  MaxSearchDepth = 2 * c.moves + 1;
  const Move best = iterativeDeepening();
  EXPECT_EQ(SearchBestScore, MateBase + 1 - 2 * c.moves) << c.fen;
  ASSERT_TRUE(isRealMove(best)) << c.fen;

  // The move must keep the mate forced at the same distance.
  PlyState record;
  savePlyState(record);
  makeMove(best, record);
  EXPECT_TRUE(mate_oracle::isLost(c.moves, 1)) << c.fen;
  unmakeMove(best, record);
  EXPECT_TRUE(positionIsConsistent());
  EXPECT_EQ(CurrentPly, PlyStack);
  EXPECT_EQ(InCheckCount[0] + InCheckCount[1], 0);
}

INSTANTIATE_TEST_SUITE_P(Mates, MateSearch, ::testing::ValuesIn(MateCases));

}  // namespace
