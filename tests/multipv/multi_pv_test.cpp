// Multi-line analysis through the front ends' dispatch: distinct moves, best
// first, every variation playable, the lines limited by the legal moves and
// by the root move filter.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/input.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "game/search_dispatch.h"
#include "movegen/legal_moves.h"
#include "multipv/multi_pv_search.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/search_state.h"
#include "support/test_support.h"

namespace {

struct Reported {
  int depth;
  int rank;
  int score;
  std::string variation;
};

class Collector : public SearchReporter {
 public:
  void iterationDone(const IterationReport& r) override {
    reports.push_back({r.depth, r.multiPv, r.score, r.variation});
  }
  std::vector<Reported> reports;
};

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// Every move of the variation is legal in turn from the current position.
bool playable(const std::string& variation) {
  std::vector<PlyState> records(64);
  std::vector<Move> made;
  bool ok = true;
  for (const std::string& w : words(variation)) {
    const Move m = textToMove(w.c_str());
    if (m == 0 || !isLegalMove(m)) {
      ok = false;
      break;
    }
    savePlyState(records[made.size()]);
    makeMove(m, records[made.size()]);
    refreshRootSnapshot();
    made.push_back(m);
  }
  for (size_t i = made.size(); i-- > 0;) unmakeMove(made[i], records[i]);
  refreshRootSnapshot();
  return ok;
}

class MultiPv : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureTablesInitialized();
    ASSERT_EQ(pipe(input_), 0);
    saved_ = inputDescriptor();
    setInputDescriptor(input_[0]);
    setSearchReporter(&collector_);
    PonderingSearch = false;
    MoveTimeBudget = 1 << 30;
    SearchStartClock = clockMs();
    StopSearch = false;
    NodeLimit = 0;
  }
  void TearDown() override {
    setSearchReporter(nullptr);
    setRootMoveFilter(nullptr, 0);
    MultiPvLines = 1;
    MaxSearchDepth = MaxIterationDepth;
    setInputDescriptor(saved_);
    close(input_[0]);
    close(input_[1]);
  }
  void search(const char* fen, int lines, int depth) {
    setUpPosition(fen);
    collector_.reports.clear();
    MultiPvLines = lines;
    MaxSearchDepth = depth;
    runSearch();
  }
  Collector collector_;
  int input_[2] = {-1, -1};
  int saved_ = 0;
};

TEST_F(MultiPv, EachDepthReportsDistinctMovesBestFirst) {
  search("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", 3, 6);
  ASSERT_EQ(collector_.reports.size(), 18u);
  for (size_t i = 0; i < collector_.reports.size(); i += 3) {
    std::set<std::string> firstMoves;
    for (size_t k = 0; k < 3; ++k) {
      const Reported& r = collector_.reports[i + k];
      EXPECT_EQ(r.depth, static_cast<int>(i / 3) + 1);
      EXPECT_EQ(r.rank, static_cast<int>(k) + 1);
      if (k > 0) {
        EXPECT_LE(r.score, collector_.reports[i + k - 1].score) << "best first";
      }
      EXPECT_TRUE(playable(r.variation)) << r.variation;
      firstMoves.insert(words(r.variation).at(0));
    }
    EXPECT_EQ(firstMoves.size(), 3u) << "depth " << i / 3 + 1;
  }
  const Reported& best = collector_.reports[15];
  char text[8];
  moveToText(text, SearchBestMove);
  EXPECT_EQ(words(best.variation).at(0), text) << "the search's move is line 1";
  EXPECT_EQ(SearchBestScore, best.score);
}

TEST_F(MultiPv, NoMoreLinesThanLegalMoves) {
  // In check: Kf2 and Kg2 only.
  search("7k/8/8/8/8/8/7P/r5K1 w - - 0 1", 5, 3);
  ASSERT_FALSE(collector_.reports.empty());
  for (const Reported& r : collector_.reports) EXPECT_LE(r.rank, 2);
  EXPECT_EQ(collector_.reports.size(), 2u * 3u);
}

// The root move filter (UCI's searchmoves, xboard's exclusions) with one
// line, which the single-line search answers: after a search that filled the
// table with other moves, the variation still starts with an allowed move.
TEST_F(MultiPv, FilteredSearchShowsOnlyAllowedMoves) {
  search("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 1, 6);
  const Move allowed[] = {textToMove("a2a3"), textToMove("h2h3")};
  setRootMoveFilter(allowed, 2);
  collector_.reports.clear();
  MaxSearchDepth = 6;
  runSearch();
  ASSERT_FALSE(collector_.reports.empty());
  for (const Reported& r : collector_.reports) {
    const std::string first = words(r.variation).at(0);
    EXPECT_TRUE(first == "a2a3" || first == "h2h3") << r.variation;
    EXPECT_EQ(r.rank, 0) << "one line carries no rank";
  }
  EXPECT_TRUE(SearchBestMove == allowed[0] || SearchBestMove == allowed[1]);
}

}  // namespace
