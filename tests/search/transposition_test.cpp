#include "search/transposition.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "core/position.h"
#include "search/ordering_tables.h"

namespace {

// Two keys in the same bucket (equal low 20 bits) that differ in the compared
// part of the low half, and a third that differs only in the high half.
constexpr uint64_t KeyA = 0x0123456789A54321ull;
constexpr uint64_t KeyB = 0x0123456712354321ull;
constexpr uint64_t KeyC = 0x1123456789A54321ull;
constexpr uint64_t KeyD = 0x0123456755554321ull;
constexpr Move MoveA = makeMoveValue(52, 36, QuietMove);  // e2e4
constexpr Move MoveB = makeMoveValue(62, 45, QuietMove);  // g1f3
constexpr Move MoveD = makeMoveValue(12, 28, QuietMove);  // e7e5

HashBucket& bucketOf(uint64_t key, int side) {
  return TranspositionTable[side][static_cast<uint32_t>(key) & ((1u << TranspositionBits) - 1)];
}

class TranspositionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clearTranspositionTable();
    Pos.gamePly = 1;
  }
};

TEST_F(TranspositionTest, EntryLayoutBitForBit) {
  Pos.gamePly = 700;  // age keeps 700 mod 512 = 188
  store(KeyA, White, MoveA, -25, 9, UpperBound);
  const HashEntry& e = bucketOf(KeyA, White).slot[0];
  EXPECT_EQ(e.word0, 0x89A50000u | MoveA);
  EXPECT_EQ(e.word1, 0x01234567u);
  // (-25 + 8190) << 18 | 188 << 9 | 2 << 7 | 9
  EXPECT_EQ(e.word2, (8165u << 18) | (188u << 9) | (2u << 7) | 9u);
  EXPECT_EQ(e.move(), MoveA);
  EXPECT_EQ(e.score(), -25);
  EXPECT_EQ(e.depth(), 9);
  EXPECT_EQ(e.bound(), UpperBound);
  EXPECT_EQ(e.age(), 188);
  EXPECT_EQ(probe(KeyA, White), &e);
}

TEST_F(TranspositionTest, ExtremeScoresAndMarkersRoundTrip) {
  store(KeyA, Black, StandPat, -IllegalScore, 0, LowerBound);
  HashEntry* e = probe(KeyA, Black);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->word2 >> 18, 0u);
  EXPECT_EQ(e->score(), -8190);
  EXPECT_EQ(e->move(), StandPat);

  store(KeyB, Black, Checkmated, IllegalScore, 0, ExactBound);
  e = probe(KeyB, Black);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->score(), 8190);
  EXPECT_EQ(e->move(), Checkmated);
}

TEST_F(TranspositionTest, ProbeComparesTheWholeKeyPerSide) {
  store(KeyA, White, MoveA, 10, 3, ExactBound);
  EXPECT_EQ(probe(KeyA, Black), nullptr);  // same placement, other side to move
  EXPECT_EQ(probe(KeyB, White), nullptr);  // same bucket, other low bits
  EXPECT_EQ(probe(KeyC, White), nullptr);  // same low half, other high half
  // A move in word 0 must not disturb the compared low bits.
  store(KeyA, White, 0xFFFF, 10, 4, ExactBound);
  ASSERT_NE(probe(KeyA, White), nullptr);
  EXPECT_EQ(probe(KeyA, White)->move(), 0xFFFF);
}

TEST_F(TranspositionTest, MatchingSlotZeroOnlyGivesWayToBetterResults) {
  store(KeyA, White, MoveA, 40, 5, ExactBound);
  store(KeyA, White, MoveB, 90, 5, LowerBound);  // equal depth, worse bound
  HashBucket& b = bucketOf(KeyA, White);
  EXPECT_EQ(b.slot[0].move(), MoveA);
  EXPECT_EQ(b.slot[0].score(), 40);
  EXPECT_EQ(b.slot[0].bound(), ExactBound);
  // Nothing else of the bucket was written either.
  EXPECT_EQ(b.slot[1].word2, 0u);
  EXPECT_EQ(b.slot[2].word2, 0u);

  store(KeyA, White, MoveB, 90, 4, ExactBound);  // shallower
  EXPECT_EQ(b.slot[0].move(), MoveA);

  store(KeyA, White, MoveB, 70, 6, UpperBound);  // deeper replaces in place
  EXPECT_EQ(b.slot[0].move(), MoveB);
  EXPECT_EQ(b.slot[0].depth(), 6);
  EXPECT_EQ(b.slot[1].word2, 0u);

  store(KeyA, White, MoveA, 30, 6, LowerBound);  // same depth, tighter bound
  EXPECT_EQ(b.slot[0].move(), MoveA);
  EXPECT_EQ(b.slot[0].bound(), LowerBound);
  EXPECT_EQ(b.slot[1].word2, 0u);
}

TEST_F(TranspositionTest, SameSearchReplacementByDepthAndBound) {
  Pos.gamePly = 30;
  HashBucket& b = bucketOf(KeyA, White);

  // Equal depth, better bound: the new entry takes slot 0, the old one moves down.
  store(KeyA, White, MoveA, 10, 3, UpperBound);
  store(KeyB, White, MoveB, 20, 3, LowerBound);
  EXPECT_EQ(b.slot[0].move(), MoveB);
  EXPECT_EQ(b.slot[1].move(), MoveA);
  EXPECT_EQ(probe(KeyA, White), &b.slot[1]);

  // Equal depth, no better bound than either occupant: slot 2.
  store(KeyD, White, MoveD, 30, 3, UpperBound);
  EXPECT_EQ(b.slot[0].move(), MoveB);
  EXPECT_EQ(b.slot[1].move(), MoveA);
  EXPECT_EQ(b.slot[2].move(), MoveD);

  // Shallower than slot 0 but better bound than slot 1 at equal depth: slot 1.
  clearTranspositionTable();
  store(KeyA, White, MoveA, 10, 2, UpperBound);
  store(KeyB, White, MoveB, 20, 3, LowerBound);  // displaces A into slot 1
  store(KeyD, White, MoveD, 30, 2, ExactBound);  // margin -1 at slot 0, 0 and better at slot 1
  EXPECT_EQ(b.slot[0].move(), MoveB);
  EXPECT_EQ(b.slot[1].move(), MoveD);
  EXPECT_EQ(b.slot[2].word2, 0u);  // A was overwritten, not moved
  EXPECT_EQ(probe(KeyA, White), nullptr);
}

TEST_F(TranspositionTest, ShallowResultFallsThroughToSlotTwo) {
  Pos.gamePly = 30;
  HashBucket& b = bucketOf(KeyA, White);
  store(KeyA, White, MoveA, 10, 3, ExactBound);
  store(KeyB, White, MoveB, 10, 4, ExactBound);  // A moves to slot 1
  store(KeyD, White, MoveD, 10, 2, ExactBound);  // below both
  EXPECT_EQ(b.slot[0].move(), MoveB);
  EXPECT_EQ(b.slot[1].move(), MoveA);
  EXPECT_EQ(b.slot[2].move(), MoveD);
  // Slot 2 always takes the next refused entry, losing its own.
  store(KeyC, White, MoveA, 10, 1, ExactBound);
  EXPECT_EQ(probe(KeyD, White), nullptr);
  EXPECT_EQ(probe(KeyC, White), &b.slot[2]);
}

TEST_F(TranspositionTest, OldEntriesLoseProtectionAsTheGameAdvances) {
  HashBucket& b = bucketOf(KeyA, White);
  Pos.gamePly = 10;
  store(KeyA, White, MoveA, 10, 6, UpperBound);
  // Four plies later a depth-2 exact result has margin 2 + 14 - 10 - 6 = 0:
  // only its better bound lets it in.
  Pos.gamePly = 14;
  store(KeyB, White, MoveB, 10, 2, UpperBound);
  EXPECT_EQ(b.slot[0].move(), MoveA);
  store(KeyD, White, MoveD, 10, 2, ExactBound);
  EXPECT_EQ(b.slot[0].move(), MoveD);
  EXPECT_EQ(b.slot[1].move(), MoveA);
}

TEST_F(TranspositionTest, MarginIsSixteenBitSigned) {
  Pos.gamePly = 64;
  store(KeyA, White, MoveA, 0, 10, ExactBound);
  // 1 + 40000 - 64 - 10 = 39927 wraps to a negative 16-bit margin, and so
  // does the margin against the empty slot 1: the new entry lands in slot 2.
  Pos.gamePly = 40000;
  store(KeyB, White, MoveB, 0, 1, ExactBound);
  HashBucket& b = bucketOf(KeyA, White);
  EXPECT_EQ(b.slot[0].move(), MoveA);
  EXPECT_EQ(b.slot[1].word2, 0u);
  EXPECT_EQ(b.slot[2].move(), MoveB);
}

TEST_F(TranspositionTest, DepthOutsideTheFieldIsClamped) {
  store(KeyA, White, MoveA, 0, -1, ExactBound);
  ASSERT_NE(probe(KeyA, White), nullptr);
  EXPECT_EQ(probe(KeyA, White)->depth(), 0);
  store(KeyB, White, MoveB, 0, 200, ExactBound);
  ASSERT_NE(probe(KeyB, White), nullptr);
  EXPECT_EQ(probe(KeyB, White)->depth(), 127);
  EXPECT_EQ(probe(KeyB, White)->bound(), ExactBound);
}

TEST(MoveOrderingTables, ResetZeroesHistoryAndSetsStatisticsToOne) {
  HistoryTable[White][123] = 77;
  HistoryTable[Black][4095] = 5;
  CutoffStatistics.tried[WhiteKnight][20] = 99;
  CutoffStatistics.cutoffs[BlackKing][63] = 0;
  resetMoveOrderingTables();
  for (int side = 0; side < 2; ++side) {
    for (uint32_t h : HistoryTable[side]) ASSERT_EQ(h, 0u);
  }
  for (int p = 1; p <= 12; ++p) {
    for (int s = 0; s < 64; ++s) {
      ASSERT_EQ(CutoffStatistics.tried[p][s], 1u);
      ASSERT_EQ(CutoffStatistics.cutoffs[p][s], 1u);
    }
  }
}

TEST(MoveOrderingTables, CutoffStatisticsCountAndQuarter) {
  resetMoveOrderingTables();
  recordCutoffStatistic(WhiteKnight, 21, false);
  recordCutoffStatistic(WhiteKnight, 21, true);
  EXPECT_EQ(CutoffStatistics.tried[WhiteKnight][21], 3u);
  EXPECT_EQ(CutoffStatistics.cutoffs[WhiteKnight][21], 2u);

  // A tried count at its maximum quarters every counter of both arrays first.
  CutoffStatistics.tried[BlackQueen][5] = ~uint64_t{0};
  CutoffStatistics.cutoffs[BlackQueen][5] = 1000;
  CutoffStatistics.tried[WhitePawn][40] = 43;
  recordCutoffStatistic(BlackQueen, 5, true);
  EXPECT_EQ(CutoffStatistics.tried[BlackQueen][5], (~uint64_t{0} >> 2) + 1);
  EXPECT_EQ(CutoffStatistics.cutoffs[BlackQueen][5], 251u);
  EXPECT_EQ(CutoffStatistics.tried[WhitePawn][40], 10u);
  EXPECT_EQ(CutoffStatistics.tried[WhiteKnight][21], 0u);
  EXPECT_EQ(CutoffStatistics.cutoffs[WhiteKnight][21], 0u);

  // Below the maximum nothing is quartered.
  recordCutoffStatistic(WhitePawn, 40, false);
  EXPECT_EQ(CutoffStatistics.tried[WhitePawn][40], 11u);
  resetMoveOrderingTables();
}

TEST(MoveOrderingTables, KillersShiftAndClear) {
  PlyState& r = PlyStack[3];
  r.killer1 = 0;
  r.killer2 = 0;
  shiftKillers(r, MoveA);
  shiftKillers(r, MoveB);
  EXPECT_EQ(r.killer1, MoveB);
  EXPECT_EQ(r.killer2, MoveA);
  shiftKillers(r, MoveB);  // already killer 1: no shift
  EXPECT_EQ(r.killer1, MoveB);
  EXPECT_EQ(r.killer2, MoveA);
  shiftKillers(r, MoveA);  // killer 2 comes back to the front
  EXPECT_EQ(r.killer1, MoveA);
  EXPECT_EQ(r.killer2, MoveB);

  PlyStack[0].killer2 = MoveD;
  PlyStack[PlyStackSize - 1].killer1 = MoveD;
  clearKillers();
  for (const PlyState& p : PlyStack) {
    ASSERT_EQ(p.killer1, 0);
    ASSERT_EQ(p.killer2, 0);
  }
}

}  // namespace
