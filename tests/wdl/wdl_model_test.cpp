// The odds model: whole per-mille odds that add up, more wins and fewer
// losses for a better score, the two sides' views mirrored, mates certain.
#include "wdl/wdl_model.h"

#include <gtest/gtest.h>

namespace {

TEST(WdlModel, OddsAddUpGrowWithTheScoreAndMirror) {
  for (int material : {0, 10, 40, WdlFullMaterial}) {
    WdlOdds previous{-1, 0, WdlPerMille + 1};
    for (int score = -3000; score <= 3000; score += 25) {
      const WdlOdds odds = wdlOdds(score, material, DefaultModeWdl);
      EXPECT_EQ(odds.win + odds.draw + odds.loss, WdlPerMille) << score << " " << material;
      EXPECT_GE(odds.draw, 0);
      EXPECT_GE(odds.win, previous.win) << score;
      EXPECT_LE(odds.loss, previous.loss) << score;
      const WdlOdds other = wdlOdds(-score, material, DefaultModeWdl);
      EXPECT_EQ(odds.win, other.loss) << score;
      EXPECT_EQ(odds.draw, other.draw) << score;
      previous = odds;
    }
  }
  const WdlOdds won = wdlOdds(MateBase - 5, 20, DefaultModeWdl);
  EXPECT_EQ(won.win, WdlPerMille);
  const WdlOdds lost = wdlOdds(5 - MateBase, 20, DefaultModeWdl);
  EXPECT_EQ(lost.loss, WdlPerMille);
  // Out of range material is held at the ends of the range.
  const WdlOdds heavy = wdlOdds(50, 500, DefaultModeWdl);
  const WdlOdds full = wdlOdds(50, WdlFullMaterial, DefaultModeWdl);
  EXPECT_EQ(heavy.win, full.win);
}

TEST(WdlModel, AnEvenScoreIsMostlyADrawWithAllMenOnTheBoard) {
  const WdlOdds even = wdlOdds(0, WdlFullMaterial, DefaultModeWdl);
  EXPECT_GT(even.draw, even.win);
  EXPECT_EQ(even.win, even.loss);
  const WdlOdds ahead = wdlOdds(400, WdlFullMaterial, DefaultModeWdl);
  EXPECT_GT(ahead.win, ahead.draw);
}

}  // namespace
