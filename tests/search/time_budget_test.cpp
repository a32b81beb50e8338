#include "search/time_budget.h"

#include <gtest/gtest.h>

#include "core/position.h"
#include "search/search_control.h"

namespace {

struct Budget {
  int32_t movesToGo;
  int32_t budgetMs;
};

Budget allocate(int movesPerControl, int incrementMs, int gamePly, int32_t ownCs) {
  MovesPerControl = movesPerControl;
  IncrementMs = incrementMs;
  Pos.gamePly = static_cast<uint16_t>(gamePly);
  allocateTime(ownCs);
  return {MovesToGo, MoveTimeBudget};
}

TEST(TimeAllocation, MovesPerControlCountsDownPerFullMove) {
  // level 40 5 0, time 30000: 750 cs per move, 100 kept back, to milliseconds.
  Budget white = allocate(40, 0, 1, 30000);
  EXPECT_EQ(white.movesToGo, 40);
  EXPECT_EQ(white.budgetMs, 6500);
  // Black's first move is also the first of its forty (counted with Black on move).
  Budget black = allocate(40, 0, 2, 30000);
  EXPECT_EQ(black.movesToGo, 40);
  EXPECT_EQ(black.budgetMs, 6500);
  EXPECT_EQ(allocate(40, 0, 80, 30000).movesToGo, 1);
  // White's 40th move is the last of the control: nine tenths of the share.
  Budget last = allocate(40, 0, 79, 30000);
  EXPECT_EQ(last.movesToGo, 1);
  EXPECT_EQ(last.budgetMs, (30000 - 100) * 9);
  // The next control starts again at 40.
  EXPECT_EQ(allocate(40, 0, 81, 30000).movesToGo, 40);
}

TEST(TimeAllocation, SuddenDeathWithIncrement) {
  // level 0 2 12, time 12000: 363 cs, 50 kept back, plus the 12 s increment.
  Budget b = allocate(0, 12000, 1, 12000);
  EXPECT_EQ(b.movesToGo, 33);
  EXPECT_EQ(b.budgetMs, 3130 + 12000);
}

TEST(TimeAllocation, ReserveThresholds) {
  // 200 cs over 33 moves: 6 cs, too little to keep anything back.
  EXPECT_EQ(allocate(0, 0, 1, 200).budgetMs, 60);
  // Shares just below and at the two thresholds.
  EXPECT_EQ(allocate(1, 0, 1, 219).budgetMs, 219 * 9);
  EXPECT_EQ(allocate(1, 0, 1, 220).budgetMs, 170 * 9);
  EXPECT_EQ(allocate(1, 0, 1, 499).budgetMs, 449 * 9);
  EXPECT_EQ(allocate(1, 0, 1, 500).budgetMs, 400 * 9);
}

TEST(TimeAllocation, EmptyOrNegativeClockGivesNoNegativeBudget) {
  EXPECT_EQ(allocate(40, 0, 1, 0).budgetMs, 0);
  EXPECT_EQ(allocate(0, 0, 1, 0).budgetMs, 0);
  EXPECT_EQ(allocate(0, 2000, 1, 0).budgetMs, 2000);
  EXPECT_EQ(allocate(40, 0, 1, -500).budgetMs, 0);
  EXPECT_EQ(allocate(0, 1000, 1, -500).budgetMs, 1000);
}

TEST(TimeAllocation, NonsenseMoveCountsNeverDivideByZero) {
  // A negative count from a malformed "level" is a single long control.
  Budget b = allocate(-5, 0, 7, 3300);
  EXPECT_EQ(b.movesToGo, 33);
  EXPECT_EQ(b.budgetMs, 1000);
}

TEST(TimeAllocation, HugeClocksStayPositive) {
  // The share times nine would wrap a 32-bit budget to a negative value.
  Budget b = allocate(1, 0, 1, 300000000);
  EXPECT_GT(b.budgetMs, 100000000);
  Budget hugeIncrement = allocate(0, 2000000000, 1, 2000000000);
  EXPECT_GT(hugeIncrement.budgetMs, 100000000);
}

}  // namespace
