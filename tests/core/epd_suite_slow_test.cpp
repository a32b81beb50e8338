// Whole EPD test suites through the FEN reader: every position is accepted and
// its test move is found and read.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/position.h"
#include "game/game.h"
#include "support/test_support.h"

namespace {

// Returns the number of lines read; every one must set up with a test move.
int readSuite(const std::string& relative) {
  std::ifstream in(sharedDataPath(relative));
  EXPECT_TRUE(in.good()) << relative;
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    ++lines;
    EXPECT_TRUE(setUpGame(line.c_str())) << line;
    EXPECT_TRUE(positionIsConsistent()) << line;
    // The first of the two fields counts.
    const bool best = line.find(" bm ") < line.find(" am ");
    EXPECT_NE(best ? BestTestMove : AvoidTestMove, 0) << line;
    EXPECT_EQ(best ? AvoidTestMove : BestTestMove, 0) << line;
  }
  return lines;
}

}  // namespace

TEST(EpdSuites, EveryPositionAndTestMoveIsRead) {
  SKIP_WITHOUT_SHARED_DATA("data/epd");
  ensureTablesInitialized();
  EXPECT_EQ(readSuite("data/epd/wac.epd"), 300);
  EXPECT_EQ(readSuite("data/epd/wac-2009-crlf.epd"), 300);
  EXPECT_EQ(readSuite("data/epd/bratko-kopec.epd"), 24);
}
