#include "core/position.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "core/clock.h"
#include "core/key_table.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "support/test_support.h"

namespace {

// Applies a corruption to a copy of a sound position and expects the check to
// notice it; the position is restored afterwards.
void expectNoticed(const char* what, const std::function<void()>& corrupt) {
  static Position saved;
  saved = Pos;
  ASSERT_TRUE(positionIsConsistent()) << "before " << what;
  corrupt();
  EXPECT_FALSE(positionIsConsistent()) << what;
  Pos = saved;
}

void playAll(std::initializer_list<const char*> moves) {
  for (const char* text : moves) ASSERT_TRUE(makeGameMove(textToMove(text))) << text;
}

}  // namespace

TEST(PositionIsConsistent, AcceptsKeysCarryingRightAndEnPassantTerms) {
  // Rights removed by moves stay folded into the key.
  setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  playAll({"h1h8", "e8d7", "a1a7", "d7e6", "e1f1"});
  EXPECT_EQ(Pos.castling, 0);
  EXPECT_TRUE(positionIsConsistent());
  // A square named by the set-up text is folded in by the first move and kept.
  setUpPosition("4k3/8/8/8/4Pp2/8/8/4K3 b - e3");
  EXPECT_TRUE(positionIsConsistent());
  playAll({"e8d7"});
  EXPECT_TRUE(positionIsConsistent());
  playAll({"e1d2", "d7c6", "d2c3"});
  EXPECT_TRUE(positionIsConsistent());
  // A pending double step.
  setUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  playAll({"d2d4"});
  EXPECT_EQ(Pos.enPassant, 43);
  EXPECT_TRUE(positionIsConsistent());
}

TEST(PositionIsConsistent, NoticesEveryKindOfDrift) {
  setUpPosition("r3k2r/pp3ppp/8/3pP3/8/8/PP3PPP/R3K2R w Kq d6");
  playAll({"e5d6", "a7a5"});
  expectNoticed("piece bitboard", [] { Pos.pieces[WhitePawn] ^= bitOf(40); });
  expectNoticed("board entry", [] { Pos.board[40] = BlackKnight; });
  expectNoticed("own occupancy", [] { Pos.pieces[OccupancyIndex + White] ^= bitOf(19); });
  expectNoticed("all-occupancy", [] { Pos.all ^= bitOf(33); });
  expectNoticed("file-major occupancy", [] { Pos.fileMajor ^= 1; });
  expectNoticed("a1-h8 occupancy", [] { Pos.diagA1H8 ^= Bitboard{1} << 40; });
  expectNoticed("a8-h1 occupancy", [] { Pos.diagA8H1 ^= Bitboard{1} << 20; });
  expectNoticed("king square", [] { Pos.king[Black] = 5; });
  expectNoticed("key bit", [] { Pos.key ^= Bitboard{1} << 17; });
  expectNoticed("right still held but keyed",
                [] { Pos.key ^= KeyTable[0][castlingKeySquare(WhiteKingSide)]; });
  expectNoticed("pawn key", [] { Pos.pawnKey ^= 4; });
  expectNoticed("total material", [] { ++Pos.totalMaterial; });
  expectNoticed("piece material", [] { --Pos.pieceMaterial[Black]; });
  expectNoticed("pawn count", [] { ++Pos.pawnCount[White]; });
  expectNoticed("en-passant rank", [] { Pos.enPassant = 30; });
  expectNoticed("history top", [] { ++Pos.historyTop; });
  expectNoticed("history key", [] { Pos.historyTop->key ^= 1; });
  expectNoticed("unknown right", [] { Pos.castling |= 4; });
}

TEST(Clock, NeverGoesBackwardsAndAdvances) {
  const int32_t first = clockMs();
  EXPECT_GE(first, 0);
  int32_t last = first;
  for (int i = 0; i < 1000; ++i) {
    const int32_t now = clockMs();
    ASSERT_GE(now, last);
    last = now;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(clockMs() - first, 20);
}
