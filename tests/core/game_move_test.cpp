#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "core/position_compare.h"
#include "support/test_support.h"

namespace {

constexpr const char* Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

bool playText(const char* text) { return makeGameMove(textToMove(text)); }

}  // namespace

TEST(MakeGameMove, ZeroIsRefusedAndChangesNothing) {
  setUpPosition(Start);
  static Position before;
  before = Pos;
  EXPECT_FALSE(makeGameMove(0));
  EXPECT_TRUE(samePosition(before, Pos));
  EXPECT_EQ(Pos.gamePly, 1);
}

TEST(MakeGameMove, AdvancesPlyHistoryAndSnapshot) {
  setUpPosition("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq -");
  const uint64_t startKey = Pos.key;
  ASSERT_TRUE(playText("e1g1"));
  EXPECT_EQ(Pos.gamePly, 2);
  EXPECT_EQ(Pos.side, Black);
  EXPECT_EQ(Pos.root.side, Black);
  EXPECT_EQ(Pos.root.king[White], 62);
  EXPECT_EQ(Pos.root.castling, BlackKingSide | BlackQueenSide);
  EXPECT_EQ(Pos.root.board[61], WhiteRook);
  EXPECT_EQ(Pos.historyTop, Pos.history + 1);
  EXPECT_EQ(Pos.history[0].key, startKey);
  EXPECT_EQ(Pos.history[0].move, WhiteKingSideCastle);
  EXPECT_EQ(Pos.history[1].key, Pos.key);
  EXPECT_EQ(Pos.history[1].reversible, 0);
  ASSERT_TRUE(playText("e7e5"));
  EXPECT_EQ(Pos.root.enPassant, 20);
  EXPECT_EQ(Pos.root.side, White);
  // The next text is read against the new snapshot: Black may still castle.
  ASSERT_TRUE(playText("g1h1"));
  EXPECT_EQ(textToMove("e8c8"), BlackQueenSideCastle);
  ASSERT_TRUE(playText("e8c8"));
  EXPECT_EQ(Pos.castling, 0);
  EXPECT_EQ(Pos.king[Black], 2);
  EXPECT_EQ(Pos.gamePly, 5);
  EXPECT_TRUE(positionIsConsistent());
}

TEST(MakeGameMove, WritesTheKeyLineInHexadecimal) {
  const std::string dir = makeScratchDirectory("core-log");
  ASSERT_FALSE(dir.empty());
  const std::string path = dir + "/Veltor.log";
  openEngineLog(path.c_str());
  setUpPosition(Start);
  ASSERT_TRUE(playText("e2e4"));
  // Later writers get decimal numbers again.
  EngineLog << 255 << '\n';
  EngineLog.flush();
  char expected[64];
  std::snprintf(expected, sizeof expected, "%x %x\n255\n", static_cast<unsigned>(Pos.key >> 32),
                static_cast<unsigned>(Pos.key));
  EXPECT_EQ(readWholeFile(path), expected);
  EngineLog.close();
  std::filesystem::remove_all(dir);
}

// Knights shuffling back and forth for far longer than the history holds: the
// game stays playable, and each compaction keeps the recent records as they were.
TEST(MakeGameMove, LongGamesCompactTheHistory) {
  setUpPosition(Start);
  const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  constexpr int Plies = 3000;
  std::vector<HistoryEntry> recent(HistoryKeepOnCompaction);
  int compactions = 0;
  for (int ply = 0; ply < Plies; ++ply) {
    const HistoryEntry* topBefore = Pos.historyTop;
    const bool compacting = topBefore - Pos.history >= GameHistoryCapacity - 1;
    if (compacting) {
      std::memcpy(recent.data(), topBefore - (HistoryKeepOnCompaction - 1),
                  HistoryKeepOnCompaction * sizeof(HistoryEntry));
    }
    const Move m = textToMove(cycle[ply % 4]);
    ASSERT_TRUE(makeGameMove(m)) << ply;
    ASSERT_LE(Pos.historyTop - Pos.history, GameHistoryCapacity - 1);
    if (compacting) {
      ++compactions;
      ASSERT_EQ(Pos.historyTop - Pos.history, HistoryKeepOnCompaction);
      for (int i = 0; i < HistoryKeepOnCompaction - 1; ++i) {
        ASSERT_EQ(Pos.history[i].key, recent[i].key) << i;
        ASSERT_EQ(Pos.history[i].reversible, recent[i].reversible) << i;
        ASSERT_EQ(Pos.history[i].move, recent[i].move) << i;
      }
      // The record the move was made from now also holds the move.
      EXPECT_EQ(Pos.history[HistoryKeepOnCompaction - 1].key, recent.back().key);
      EXPECT_EQ(Pos.history[HistoryKeepOnCompaction - 1].move, m);
    }
    // Four plies back is always the same position.
    if (Pos.historyTop - Pos.history >= 4) {
      ASSERT_EQ((Pos.historyTop - 4)->key, Pos.key) << ply;
    }
    ASSERT_EQ(Pos.historyTop->reversible, ply + 1);
    ASSERT_EQ(Pos.historyTop->key, Pos.key);
  }
  EXPECT_EQ(compactions, 3);
  EXPECT_EQ(Pos.gamePly, Plies + 1);
  EXPECT_TRUE(positionIsConsistent());
}
