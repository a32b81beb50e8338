#include "movegen/perft.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/position.h"
#include "movegen/perft_suite.h"
#include "support/test_support.h"

namespace {

// Deepest listed depth per position whose leaf count stays within this, so
// the whole suite runs in seconds.
constexpr uint64_t QuickLeafBudget = 1000000;

const char* const SuiteFiles[] = {"perft-standard.txt", "perftsuite.epd", "perft-tricky.epd",
                                  "perft-double-checks.epd"};

std::string capturePerft(int depth) {
  CurrentPly = PlyStack;
  testing::internal::CaptureStdout();
  runPerft(depth);
  return testing::internal::GetCapturedStdout();
}

// "<depth>\t<seconds with one decimal>\t<nodes>"
void expectDepthLine(const std::string& line, int depth, uint64_t nodes) {
  int readDepth = 0;
  double seconds = -1;
  unsigned long long readNodes = 0;
  char tail = 0;
  ASSERT_EQ(std::sscanf(line.c_str(), "%d\t%lf\t%llu%c", &readDepth, &seconds, &readNodes, &tail),
            3)
      << line;
  EXPECT_EQ(readDepth, depth) << line;
  EXPECT_GE(seconds, 0.0) << line;
  EXPECT_NE(line.find('.'), std::string::npos) << line;
  EXPECT_EQ(readNodes, nodes) << line;
}

// Runs every case at its deepest listed depth within the budget; returns the
// number run.
int runWithinBudget(const std::vector<PerftCase>& cases) {
  int ran = 0;
  for (const PerftCase& c : cases) {
    int depth = 0;
    uint64_t expected = 0;
    for (const auto& [d, n] : c.leaves) {
      if (n <= QuickLeafBudget && d > depth) depth = d, expected = n;
    }
    if (depth == 0) continue;
    setUpPosition(c.fen.c_str());
    const uint64_t upToDepth = perftFromRoot(depth);
    const uint64_t leaves = upToDepth - perftFromRoot(depth - 1);
    EXPECT_EQ(leaves, expected) << c.source << " " << c.fen << " depth " << depth;
    // Where every shallower count is listed, the command's cumulative figure
    // must be their sum.
    uint64_t sum = 0;
    int listed = 0;
    for (const auto& [d, n] : c.leaves) {
      if (d <= depth) sum += n, ++listed;
    }
    if (listed == depth) {
      EXPECT_EQ(upToDepth, sum) << c.source;
    }
    ++ran;
  }
  return ran;
}

}  // namespace

TEST(Perft, RepositoryPositionsWithinNodeBudget) {
  ensureTablesInitialized();
  const auto cases = readPerftFile(fixturePath("perft-positions.epd"), "perft-positions.epd");
  ASSERT_EQ(cases.size(), 56u);
  EXPECT_GT(runWithinBudget(cases), 50);
}

TEST(Perft, ReferenceSuiteWithinNodeBudget) {
  SKIP_WITHOUT_SHARED_DATA("data/perft");
  ensureTablesInitialized();
  int ran = 0, total = 0;
  for (const char* file : SuiteFiles) {
    const auto cases = readPerftFile(sharedDataPath(std::string("data/perft/") + file), file);
    ASSERT_FALSE(cases.empty()) << file;
    total += static_cast<int>(cases.size());
    ran += runWithinBudget(cases);
  }
  std::printf("perft reference positions run: %d of %d\n", ran, total);
  EXPECT_GT(ran, 450);
}

TEST(Perft, CommandPrintsCumulativeCountsPerDepth) {
  setUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const auto lines = splitLines(capturePerft(3));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "ply\tduration\tnodes");
  expectDepthLine(lines[1], 1, 20);
  expectDepthLine(lines[2], 2, 420);
  expectDepthLine(lines[3], 3, 9322);
  EXPECT_EQ(lines[4], "total nodes: 9762");
  EXPECT_EQ(CurrentPly, PlyStack);

  // Every make counts, legal or not: 20 at depth 1, then 20 + 400 at depth 2.
  const auto two = splitLines(capturePerft(2));
  ASSERT_EQ(two.size(), 5u);
  EXPECT_EQ(two[3], "total nodes: 440");
  EXPECT_EQ(two[4], "(total moves[32]: 440)");
}

TEST(Perft, IllegalMovesAreMadeAndCountedButNotNodes) {
  // The pinned knight's eight moves are generated and made, then rejected.
  setUpPosition("4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1");
  const auto lines = splitLines(capturePerft(1));
  ASSERT_EQ(lines.size(), 4u);
  expectDepthLine(lines[1], 1, 4);               // Kd1 Kd2 Kf1 Kf2
  EXPECT_EQ(lines[3], "(total moves[32]: 10)");  // plus the six knight moves
}

TEST(Perft, NoDepthPrintsOnlyHeaderAndZeroTotals) {
  setUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(capturePerft(0), "ply\tduration\tnodes\ntotal nodes: 0\n(total moves[32]: 0)\n");
  EXPECT_EQ(capturePerft(-5), "ply\tduration\tnodes\ntotal nodes: 0\n(total moves[32]: 0)\n");
}

TEST(Perft, MatedOrStalematedRootCountsZeroAndDepthIsClamped) {
  // Fool's mate: White is mated; every depth line reads 0.
  setUpPosition("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
  auto lines = splitLines(capturePerft(200));
  ASSERT_EQ(lines.size(), 1u + 127u + 2u);
  for (int depth = 1; depth <= 127; ++depth) expectDepthLine(lines[depth], depth, 0);
  EXPECT_EQ(lines[128], "total nodes: 0");

  setUpPosition("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");  // stalemate
  lines = splitLines(capturePerft(2));
  ASSERT_EQ(lines.size(), 5u);
  expectDepthLine(lines[1], 1, 0);
  expectDepthLine(lines[2], 2, 0);
}
