#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "book/book_choice.h"
#include "book/book_test_helpers.h"
#include "book/opening_book.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "db/db_test_helpers.h"
#include "movegen/generators.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

uint64_t keyAfter(const char* moveText) {
  const Move m = textToMove(moveText);
  EXPECT_NE(m, 0) << moveText;
  static PlyState record;
  savePlyState(record);
  makeMove(m, record);
  const uint64_t key = Pos.key;
  unmakeMove(m, record);
  return key;
}

class BookMove : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.entered()); }
  void TearDown() override {
    Book.books[Black].close();
    Book.books[White].close();
  }
  // Opens the global book of `side` with the keys reached by the moves.
  void bookOf(int side, const std::vector<const char*>& moves) {
    std::vector<uint64_t> keys;
    for (const char* m : moves) keys.push_back(keyAfter(m));
    const char* name = side == Black ? "bookbtm" : "bookwtm";
    writeBook(name, keys);
    ASSERT_TRUE(Book.books[side].open(name, Book.message)) << Book.message;
  }
  ScopedWorkingDirectory dir_{"book-move"};
};

TEST_F(BookMove, ChoosesByTheClockInReversedGenerationOrder) {
  setUpPosition(StartFen);
  bookOf(Black, {"e2e4", "g1f3", "d2d4"});
  const uint64_t keyBefore = Pos.key;

  // The candidates as the walk meets them: last generated first.
  MoveEntry moves[MaxMovesPerPosition];
  MoveEntry* end = MoveGenerators[White].all(moves);
  std::vector<Move> expected;
  for (MoveEntry* e = end; e != moves;) {
    --e;
    for (const char* t : {"e2e4", "g1f3", "d2d4"}) {
      if (e->move == textToMove(t)) expected.push_back(e->move);
    }
  }
  ASSERT_EQ(expected.size(), 3u);
  for (uint32_t r = 0; r < 9; ++r) EXPECT_EQ(chooseBookMoveWith(r), expected[r % 3]) << r;
  EXPECT_EQ(chooseBookMoveWith(7), expected[1]);
  EXPECT_EQ(chooseBookMoveWith(0xFFFFFFFFu), expected[0xFFFFFFFFu % 3]);
  EXPECT_EQ(Pos.key, keyBefore);
  EXPECT_TRUE(positionIsConsistent());
  const Move clockChoice = chooseBookMove();
  EXPECT_NE(std::find(expected.begin(), expected.end(), clockChoice), expected.end());
}

TEST_F(BookMove, NothingWithoutAMatchOrWithAnEmptyOpponentBook) {
  setUpPosition(StartFen);
  // Keys of this side's own book do not count: the opponent's book decides.
  bookOf(White, {"e2e4"});
  EXPECT_EQ(chooseBookMoveWith(0), 0);
  writeBook("bookbtm", {1, 2, 3});
  ASSERT_TRUE(Book.books[Black].open("bookbtm", Book.message));
  EXPECT_EQ(chooseBookMoveWith(0), 0);
  // A data file shorter than one record is an empty book.
  writeTextFile("bookbtm.mbk", "abcde");
  ASSERT_TRUE(Book.books[Black].open("bookbtm", Book.message));
  EXPECT_EQ(Book.books[Black].recordCount(), 0);
  EXPECT_EQ(chooseBookMoveWith(0), 0);
}

TEST_F(BookMove, BlackChoosesFromTheWhiteBook) {
  setUpPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  bookOf(White, {"c7c5"});
  EXPECT_EQ(chooseBookMoveWith(5), textToMove("c7c5"));
}

TEST_F(BookMove, InCheckOnlyEvasionsAreCandidates) {
  // The rook on a1 checks the king on e1; d2d3 ignores the check.
  setUpPosition("4k3/8/8/8/8/8/3PP3/r3K3 w - - 0 1");
  bookOf(Black, {"d2d3", "e1f2"});
  for (uint32_t r = 0; r < 4; ++r) EXPECT_EQ(chooseBookMoveWith(r), textToMove("e1f2"));
}

}  // namespace
