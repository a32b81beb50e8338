// "position" lines as clients send them, one per move with the whole game:
// the game set up last goes on with its tables; another start clears them.
#include "uci/uci_position.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "core/position.h"
#include "search/draw.h"
#include "search/search_state.h"
#include "search/transposition.h"
#include "support/test_support.h"
#include "uci/command_line.h"
#include "uci/uci_search.h"

namespace {

CommandLine Line;

CommandLine& lineOf(const char* text) {
  std::snprintf(Line.text, sizeof Line.text, "%s", text);
  Line.length = std::strlen(Line.text);
  Line.cursor = 0;
  Line.overlong = false;
  return Line;
}

// Runs "go" with the engine's output thrown away.
void goQuietly(const char* limits) {
  std::fflush(stdout);
  const int saved = dup(1);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  commandGo(lineOf(limits));
  std::fflush(stdout);
  dup2(saved, 1);
  close(null);
  close(saved);
}

void position(const char* words) {
  std::fflush(stdout);
  commandPosition(lineOf(words));
}

bool searched(uint64_t key, Side side) { return probe(key, side) != nullptr; }

TEST(UciPosition, TheSameGameFurtherOnKeepsTheTablesAnotherStartClearsThem) {
  ensureTablesInitialized();
  UseOwnBook = false;
  forgetGame();
  position("startpos moves e2e4 e7e5 g1f3");
  goQuietly("depth 5");
  const uint64_t searchedKey = Pos.key;
  const Side searchedSide = Pos.side;
  ASSERT_TRUE(searched(searchedKey, searchedSide));

  // Two more moves: the same game, nothing cleared.
  position("startpos moves e2e4 e7e5 g1f3 b8c6 f1b5");
  EXPECT_EQ(Pos.gamePly, 6);
  EXPECT_TRUE(searched(searchedKey, searchedSide));
  // The last move replaced (a missed ponder reply): still this game.
  position("startpos moves e2e4 e7e5 g1f3 b8c6 f1c4");
  EXPECT_EQ(Pos.gamePly, 6);
  EXPECT_TRUE(searched(searchedKey, searchedSide));
  // Another start: a new game.
  position("fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 moves e2e4 e7e5 g1f3");
  EXPECT_EQ(Pos.key, searchedKey);
  EXPECT_FALSE(searched(searchedKey, searchedSide));
}

TEST(UciPosition, RepeatedPositionsFromTheMoveListAreRepetitions) {
  // The knights out and back twice: the third time the start position
  // stands, the game history knows it is a repetition.
  ensureTablesInitialized();
  forgetGame();
  position("startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8");
  EXPECT_EQ(Pos.gamePly, 9);
  EXPECT_EQ(drawCheck(2), RepetitionDraw);
  position("startpos moves g1f3 g8f6 f3g1 f6g8");
  EXPECT_EQ(drawCheck(2), 0);
}

}  // namespace
