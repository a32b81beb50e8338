// Move counting from set-up positions that no game reaches: the FEN reader
// accepts them, so the counter must leave the board as it found it.
#include <gtest/gtest.h>

#include <cstring>

#include "core/ply_state.h"
#include "core/position.h"
#include "movegen/perft.h"
#include "support/test_support.h"

namespace {

// White to move with the Black king en prise on the long diagonal.
constexpr const char* KingEnPrise = "6k1/8/8/8/8/8/Q7/6K1 w - -";

TEST(PerftBadInput, KingEnPriseLeavesTheBoardIntact) {
  // Found by fuzzing: below the king capture the generators moved a king
  // that was no longer on the board and unmaking left pieces misplaced.
  for (const char* fen : {KingEnPrise, "5rk1/1ppb3p/p1pb4/6q1/3P1p1r/2P1R2P/QP1BQ1P1/5RKN w - -"}) {
    SCOPED_TRACE(fen);
    setUpPosition(fen);
    CurrentPly = PlyStack;
    static Position before;
    before = Pos;
    perft(3);
    EXPECT_TRUE(positionIsConsistent());
    EXPECT_EQ(before.key, Pos.key);
    EXPECT_EQ(0, std::memcmp(before.board, Pos.board, sizeof Pos.board));
    EXPECT_EQ(before.king[0], Pos.king[0]);
    EXPECT_EQ(before.king[1], Pos.king[1]);
  }
}

TEST(PerftBadInput, TakingTheKingIsNoPath) {
  // Queen: 7 on the a-file, 7 on the second rank, b1, and b3-f7 before the
  // king on g8; king: f1, h1, f2, g2, h2. The capture of g8 is no move.
  setUpPosition(KingEnPrise);
  CurrentPly = PlyStack;
  EXPECT_EQ(perft(1), 25u);
}

}  // namespace
