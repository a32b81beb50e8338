// Searching from set-up positions that no game reaches: the FEN reader
// accepts a position with the enemy king en prise, and the search must come
// back with a real move and the board as it found it.
#include <gtest/gtest.h>

#include <cstring>

#include "core/position.h"
#include "search/root_search.h"
#include "search_fixture.h"

namespace {

class SearchBadInputTest : public SearchTest {};

TEST_F(SearchBadInputTest, EnemyKingEnPriseAtTheRootIsNeverTaken) {
  // Found by fuzzing the command loop: the root made the capture of the
  // king, searched below it with that king gone, and left White's occupancy
  // wrong after taking everything back.
  for (const char* fen : {"1k5Q/8/K7/8/8/2PPRNBQ/8/8 w - -", "6k1/8/8/8/8/8/Q7/6K1 w - -"}) {
    SCOPED_TRACE(fen);
    setUp(fen);
    static Position before;
    before = Pos;
    testing::internal::CaptureStdout();  // thinking lines
    iterativeDeepening();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(positionIsConsistent());
    EXPECT_EQ(0, std::memcmp(before.board, Pos.board, sizeof Pos.board));
    EXPECT_EQ(0, std::memcmp(before.pieces, Pos.pieces, sizeof Pos.pieces));
    EXPECT_EQ(before.key, Pos.key);
    EXPECT_NE(moveTo(SearchBestMove), Pos.king[Black]) << SearchBestMove;
  }
}

}  // namespace
