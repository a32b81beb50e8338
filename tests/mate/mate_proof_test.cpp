// The mate proof: exact mate lengths (the shortest, never a longer or a
// shorter one), lines that really mate, stalemates that are no mate, and a
// stop that leaves the position as it was.
#include "mate/mate_proof.h"

#include <gtest/gtest.h>

#include <string>

#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "support/test_support.h"

namespace {

struct MateCase {
  const char* fen;
  int moves;
};

// Lengths confirmed by a strong engine. The queen ending has quiet queen
// moves that stalemate and no mate before the fourth move.
const MateCase MateCases[] = {
    {"8/8/8/8/8/8/R7/R3K2k w Q - 0 1", 1},  // castling mates
    {"r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 1},
    {"r1b2rk1/2p2ppp/p7/1p6/3P3q/1BP3bP/PP3QP1/RNB1R1K1 w - - 0 1", 2},
    {"5r1k/p5pp/8/1P1pq3/P1p2nR1/Q7/5BPP/6K1 b - - 0 1", 3},
    {"3r2k1/p6p/2Q3p1/4q3/2P1p3/P3Pb2/1P3P1P/2K2BR1 b - - 0 1", 4},
    {"8/8/8/8/8/8/2Q5/k2K4 w - - 0 1", 4},
    {"2r1kb1r/pp3ppp/2n1b3/1q1N2B1/1P2Q3/8/P4PPP/3RK1NR w Kk - 0 1", 5},
};

class MateProofCases : public ::testing::TestWithParam<MateCase> {};

TEST_P(MateProofCases, FindsTheShortestMateAndALineThatMates) {
  const MateCase& c = GetParam();
  setUpPosition(c.fen);
  const uint64_t key = Pos.key;
  if (c.moves > 1) {
    const MateProof shorter = proveMate(c.moves - 1, nullptr);
    EXPECT_EQ(shorter.moves, 0) << c.fen;
    EXPECT_FALSE(shorter.stopped);
    EXPECT_EQ(shorter.searchedMoves, c.moves - 1);
  }
  const MateProof proof = proveMate(c.moves + 1, nullptr);
  EXPECT_EQ(Pos.key, key) << "the position is restored";
  ASSERT_EQ(proof.moves, c.moves) << c.fen;
  ASSERT_EQ(proof.length, 2 * c.moves - 1);
  PlyState records[MaxMatePlies];
  for (int i = 0; i < proof.length; ++i) {
    char text[8];
    moveToText(text, proof.line[i]);
    ASSERT_TRUE(isLegalMove(proof.line[i])) << "ply " << i << ": " << text;
    savePlyState(records[i]);
    makeMove(proof.line[i], records[i]);
    refreshRootSnapshot();
  }
  EXPECT_TRUE(sideToMoveInCheck() && firstLegalMove() == 0) << "the line ends in mate";
}

INSTANTIATE_TEST_SUITE_P(Positions, MateProofCases, ::testing::ValuesIn(MateCases),
                         [](const ::testing::TestParamInfo<MateCase>& param) {
                           return "MateIn" + std::to_string(param.param.moves) + "_" +
                                  std::to_string(param.index);
                         });

TEST(MateProof, NoMateNoLegalMoveAndAStop) {
  setUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  MateProof proof = proveMate(2, nullptr);
  EXPECT_EQ(proof.moves, 0);
  EXPECT_FALSE(proof.stopped);
  EXPECT_GT(proof.nodes, 0u);
  // The root filter (UCI searchmoves): without castling, no mate in one here.
  setUpPosition("8/8/8/8/8/8/R7/R3K2k w Q - 0 1");
  EXPECT_EQ(proveMate(1, nullptr).line[0], WhiteQueenSideCastle);
  EXPECT_EQ(proveMate(1, nullptr, [](Move m) { return m != WhiteQueenSideCastle; }).moves, 0);
  // Mated already: nothing to find.
  setUpPosition("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  EXPECT_EQ(proveMate(3, nullptr).moves, 0);
  // A stop check that says stop ends a long proof at its first question.
  setUpPosition("r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3");
  const uint64_t key = Pos.key;
  proof = proveMate(MaxMateMoves, [](uint64_t) { return true; });
  EXPECT_TRUE(proof.stopped);
  EXPECT_EQ(proof.moves, 0);
  EXPECT_LT(proof.nodes, 2 * MateCheckInterval);
  EXPECT_EQ(Pos.key, key);
}

}  // namespace
