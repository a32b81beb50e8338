// The whole offline pipeline on a real game collection, through the engine
// binary: PGN -> position files -> sorted -> databases -> book -> play.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "db/db_test_helpers.h"

namespace {

struct Counts {
  long white = 0, black = 0, draws = 0;
  int minPly = 1000;
};

// Tallies of the raw position lines, made without the engine: per FEN text
// (placement, side, castling, en passant) and per side to move.
struct LineTally {
  std::map<std::string, Counts> byPosition;
  Counts bySide[2];
  long lines = 0;
};

void add(Counts& c, char result, int ply) {
  if (result == 'W') ++c.white;
  if (result == 'B') ++c.black;
  if (result == 'D') ++c.draws;
  if (ply < c.minPly) c.minPly = ply;
}

LineTally tallyPositionFiles(const std::string& dir) {
  LineTally tally;
  for (const char* digit :
       {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F"}) {
    std::ifstream in(dir + "/" + digit + ".pos");
    EXPECT_TRUE(in.good()) << digit;
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string key, fen, result, ply;
      if (!std::getline(fields, key, '\t') || !std::getline(fields, fen, '\t') ||
          !std::getline(fields, result, '\t') || !std::getline(fields, ply, '\t')) {
        ADD_FAILURE() << "malformed line: " << line;
        continue;
      }
      const bool white = fen.find(" w ") != std::string::npos;
      add(tally.byPosition[fen], result[0], std::stoi(ply));
      add(tally.bySide[white], result[0], 0);
      ++tally.lines;
    }
  }
  return tally;
}

double score(const Counts& c) {
  return (c.white + c.draws / 2.0) / static_cast<double>(c.white + c.black + c.draws);
}

bool inBook(const Counts& c, bool whiteToMove) {
  if (c.white + c.black + c.draws == 0 || c.minPly > 63) return false;
  const double s = score(c);
  return whiteToMove ? s <= 0.554 && (s <= 0.52 || c.minPly <= 11) : s >= 0.535;
}

std::string runEngine(const std::string& dir, const std::string& commands) {
  writeTextFile(dir + "/session.in", "console\n" + commands + "quit\n");
  const std::string command =
      "cd '" + dir + "' && timeout 120 '" VELTOR_BINARY "' < session.in > session.out 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return readWholeFile(dir + "/session.out");
}

std::vector<std::string> linesStartingWith(const std::string& text,
                                           const std::vector<std::string>& prefixes) {
  std::vector<std::string> found;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    for (const std::string& p : prefixes) {
      if (line.rfind(p, 0) == 0) found.push_back(line);
    }
  }
  return found;
}

// Positions reached from the initial position by these moves, with their FEN text.
struct Sample {
  const char* moves;
  const char* fen;
};
const Sample Samples[] = {
    {"", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"},
    {"e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"},
    {"d2d4", "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq d3"},
    {"g1f3", "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq -"},
    {"e2e4 c7c5", "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6"},
    {"e2e4 e7e5", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6"},
    {"d2d4 g8f6 c2c4", "rnbqkb1r/pppppppp/5n2/8/2PP4/8/PP2PPPP/RNBQKBNR b KQkq c3"},
    {"e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 a7a6",
     "rnbqkb1r/1p2pppp/p2p1n2/8/3NP3/2N5/PPP2PPP/R1BQKB1R w KQkq -"},
    {"a2a3 h7h5 h2h4", "rnbqkbnr/ppppppp1/8/7p/7P/P7/1PPPPPP1/RNBQKBNR b KQkq h3"},
};

TEST(Pipeline, RealCollectionBuildsDatabasesAndABookTheEnginePlays) {
  SKIP_WITHOUT_SHARED_DATA("data/pgn/real/twic0920.pgn");
  const std::string dir = makeScratchDirectory("pipeline");
  ASSERT_FALSE(dir.empty());
  const std::string pgn = sharedDataPath("data/pgn/real/twic0920.pgn");

  // 1. The recipe script, start to end.
  const std::string build = "VELTOR='" VELTOR_BINARY "' '" VELTOR_SOURCE_DIR
                            "/scripts/build-book.sh' '" +
                            pgn + "' '" + dir + "' > '" + dir + "/build.out' 2>&1";
  ASSERT_EQ(std::system(build.c_str()), 0) << readWholeFile(dir + "/build.out");
  const std::string log = readWholeFile(dir + "/build-book.log");
  for (const char* file :
       {"white.db", "black.db", "bookwtm.mbx", "bookwtm.mbk", "bookbtm.mbx", "bookbtm.mbk"}) {
    EXPECT_TRUE(fileExists(dir + "/" + file)) << file;
  }

  // 2. Counts made from the position lines alone.
  const LineTally tally = tallyPositionFiles(dir);
  ASSERT_GT(tally.lines, 100000);

  // 3. The overall scores "bookcreate" printed count every line of each side.
  char expected[64];
  snprintf(expected, sizeof expected, "bookbtm: %f", score(tally.bySide[0]));
  EXPECT_NE(log.find(expected), std::string::npos) << expected << "\n" << log;
  snprintf(expected, sizeof expected, "bookwtm: %f", score(tally.bySide[1]));
  EXPECT_NE(log.find(expected), std::string::npos) << expected;

  // 4. A fresh engine: "dbshow" counts and "bookshow" answers for the samples.
  std::string commands;
  for (const Sample& s : Samples)
    commands += std::string("new\nforce\n") + s.moves + "\ndbshow\nbookshow\n";
  const std::vector<std::string> answers =
      linesStartingWith(runEngine(dir, commands), {"w: ", "record not found.", "YES", "NO"});
  ASSERT_EQ(answers.size(), 2 * std::size(Samples));
  int inBookCount = 0;
  for (size_t i = 0; i < std::size(Samples); ++i) {
    const auto found = tally.byPosition.find(Samples[i].fen);
    const bool whiteToMove = std::string(Samples[i].fen).find(" w ") != std::string::npos;
    if (found == tally.byPosition.end()) {
      EXPECT_EQ(answers[2 * i], "record not found.") << Samples[i].moves;
      EXPECT_EQ(answers[2 * i + 1], "NO") << Samples[i].moves;
      continue;
    }
    const Counts& c = found->second;
    char line[128];
    snprintf(line, sizeof line, "w: %ld, b: %ld, d: %ld, score: %f", c.white, c.black, c.draws,
             score(c));
    EXPECT_EQ(answers[2 * i], line) << Samples[i].moves;
    const bool taken = inBook(c, whiteToMove);
    inBookCount += taken;
    EXPECT_EQ(answers[2 * i + 1], taken ? "YES" : "NO") << Samples[i].moves;
  }
  EXPECT_GT(inBookCount, 0);

  // 5. Asked to move from the initial position, the engine answers from its book.
  const std::string played = runEngine(dir, "new\ngo\n");
  EXPECT_NE(played.find("move "), std::string::npos) << played;
  EXPECT_EQ(played.find("BOOK ERROR"), std::string::npos) << played;
  EXPECT_NE(readWholeFile(dir + "/Veltor.log").find("move (book) "), std::string::npos);

  // The files of a failed run stay for inspection.
  if (!HasFailure()) std::filesystem::remove_all(dir);
}

}  // namespace
