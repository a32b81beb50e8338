// Random games over many positions: every pseudo-legal move of every visited
// position is made and taken back, and the position must stay sound and come
// back exactly.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/make_move.h"
#include "core/position.h"
#include "core/position_compare.h"
#include "movegen/generators.h"
#include "movegen/legality.h"
#include "support/test_support.h"

namespace {

constexpr int WalkPlies = 40;

// Returns the number of moves tried; stops at the first fault.
int walk(const std::string& fen, std::mt19937& random) {
  setUpPosition(fen.c_str());
  static Position before;
  static MoveEntry list[MaxMovesPerPosition];
  int tried = 0;
  std::vector<PlyState> records(WalkPlies);
  for (int ply = 0; ply < WalkPlies; ++ply) {
    MoveEntry* end = MoveGenerators[Pos.side].all(list);
    std::vector<Move> legal;
    before = Pos;
    for (MoveEntry* e = list; e < end; ++e) {
      const Move m = e->move;
      const Side mover = Pos.side;
      PlyState record{};
      savePlyState(record);
      makeMove(m, record);
      ++tried;
      if (!positionIsConsistent()) {
        ADD_FAILURE() << fen << " ply " << ply << ": inconsistent after making " << m;
        return tried;
      }
      if (!kingLeftInCheck(m, mover)) legal.push_back(m);
      unmakeMove(m, record);
      const ::testing::AssertionResult same = samePosition(before, Pos);
      if (!same) {
        ADD_FAILURE() << fen << " ply " << ply << ": move " << m
                      << " not taken back: " << same.message();
        return tried;
      }
    }
    if (legal.empty()) break;
    const Move chosen = legal[random() % legal.size()];
    savePlyState(records[ply]);
    makeMove(chosen, records[ply]);
  }
  return tried;
}

// Walks from every position of a perft file; returns the number of positions.
int walkFile(const std::string& path, std::mt19937& random, long& tried) {
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::string line;
  int positions = 0;
  while (std::getline(in, line)) {
    const std::string fen = line.substr(0, line.find(';'));
    if (fen.empty()) continue;
    tried += walk(fen, random);
    ++positions;
    if (::testing::Test::HasFailure()) break;
  }
  return positions;
}

}  // namespace

TEST(MakeMoveWalk, RepositoryPerftPositions) {
  std::mt19937 random(20261207);
  long tried = 0;
  EXPECT_EQ(walkFile(fixturePath("perft-positions.epd"), random, tried), 56);
  EXPECT_GT(tried, 40000);
}

TEST(MakeMoveWalk, PerftSuitePositions) {
  SKIP_WITHOUT_SHARED_DATA("data/perft/perftsuite.epd");
  std::mt19937 random(20261207);
  long tried = 0;
  EXPECT_EQ(walkFile(sharedDataPath("data/perft/perftsuite.epd"), random, tried), 126);
  EXPECT_GT(tried, 50000);
}
