// Play at a set strength: the weakest setting varies its choice among good
// moves but never lets a mate go; the strongest takes what is plainly won.
#include "strength/strength_limit.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/move_text.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/time_budget.h"
#include "strong/clock_inputs.h"
#include "strong/strong_search.h"
#include "support/test_support.h"

namespace {

class StrengthLimit : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureTablesInitialized();
    setSearchReporter(nullptr);
    StrongClock = ClockInputs{};
    MoveTimeBudget = MaxMoveTimeBudget;
    PonderingSearch = false;
    StopSearch = false;
    NodeLimit = 0;
    MultiPvLines = 1;
  }
  void TearDown() override { setStrengthLimit(false, DefaultLimitedElo); }

  // The distinct moves chosen over `tries` searches of `fen` at `elo`.
  std::set<std::string> choices(const char* fen, int elo, int tries) {
    setStrengthLimit(true, elo);
    std::set<std::string> moves;
    for (int i = 0; i < tries; ++i) {
      setUpPosition(fen);
      clearStrongTables();
      const Move move = limitedStrengthSearch();
      EXPECT_TRUE(isLegalMove(move)) << fen;
      char text[8];
      moveToText(text, move);
      moves.insert(text);
    }
    return moves;
  }
};

TEST_F(StrengthLimit, WeakPlayVariesButKeepsMatesAndStrongPlayTakesWhatIsWon) {
  const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  EXPECT_GT(choices(start, MinLimitedElo, 24).size(), 1u);
  // An undefended queen: the strongest setting always takes it.
  NodeLimit = 20000;
  EXPECT_EQ(choices("4k3/8/8/3q4/8/8/3R4/4K3 w - - 0 1", MaxLimitedElo, 4),
            std::set<std::string>{"d2d5"});
  // Back-rank mate in one among many quiet moves.
  const auto mates = choices("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", MinLimitedElo, 12);
  EXPECT_EQ(mates, std::set<std::string>{"d1d8"});
}

}  // namespace
