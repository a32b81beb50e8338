#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "movegen/perft_suite.h"
#include "support/test_support.h"

namespace {

// Each position runs at its deepest listed depth up to this one; a position
// listed only deeper runs at its shallowest listed depth when that stays
// within the leaf limit.
constexpr int SlowDepth = 5;
constexpr uint64_t DeepOnlyLeafLimit = 200000000;

}  // namespace

TEST(PerftSlow, ReferenceSuitesToDepthFive) {
  SKIP_WITHOUT_SHARED_DATA("data/perft");
  ensureTablesInitialized();
  int ran = 0, total = 0;
  uint64_t nodes = 0;
  for (const char* file :
       {"perft-standard.txt", "perftsuite.epd", "perft-tricky.epd", "perft-double-checks.epd"}) {
    const auto cases = readPerftFile(sharedDataPath(std::string("data/perft/") + file), file);
    ASSERT_FALSE(cases.empty()) << file;
    for (const PerftCase& c : cases) {
      ++total;
      int depth = 0;
      uint64_t expected = 0;
      for (const auto& [d, n] : c.leaves) {
        if (d <= SlowDepth && d > depth) depth = d, expected = n;
      }
      if (depth == 0) {
        for (const auto& [d, n] : c.leaves) {
          if (n <= DeepOnlyLeafLimit && (depth == 0 || d < depth)) depth = d, expected = n;
        }
      }
      if (depth == 0) continue;
      setUpPosition(c.fen.c_str());
      const uint64_t upToDepth = perftFromRoot(depth);
      const uint64_t shallower = perftFromRoot(depth - 1);
      EXPECT_EQ(upToDepth - shallower, expected) << c.source << " " << c.fen << " depth " << depth;
      nodes += upToDepth;
      ++ran;
    }
  }
  std::printf("perft reference positions run: %d of %d, %llu nodes counted\n", ran, total,
              static_cast<unsigned long long>(nodes));
  EXPECT_GT(ran, 480);
}
