// pgn2fen: every ply of every finished game with its result, the file whole
// or not at all.
#include "tools/fen_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/position.h"
#include "support/test_support.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string game(const char* result, const std::string& moves) {
  return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + " " + result +
         "\n\n";
}

class FenLines : public ::testing::Test {
 protected:
  void SetUp() override {
    setUpPosition(StartFen);
    ASSERT_NO_FATAL_FAILURE(scratch_.enter("fen-lines"));
  }
  void TearDown() override { scratch_.leave(); }
  static void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string run(const char* pgn, const char* out) {
    testing::internal::CaptureStdout();
    pgnToFen(pgn, out);
    return testing::internal::GetCapturedStdout();
  }
  ScratchDirectory scratch_;
};

TEST_F(FenLines, EveryPlyOfTheFinishedGamesWithItsResult) {
  std::string longGame;
  for (int move = 1; move <= 40; ++move) {
    longGame += std::to_string(move) + (move % 2 ? ". Nf3 Nf6 " : ". Ng1 Ng8 ");
  }
  writeFile("g.pgn",
            game("1/2-1/2", longGame) + game("0-1", "1. f3 e5 2. g4 Qh4#") + game("*", "1. e4"));
  EXPECT_EQ(run("g.pgn", "out.fen"), "pgn2fen: 84 positions of 2 games into out.fen\n");
  const std::vector<std::string> lines = splitLines(readWholeFile("out.fen"));
  ASSERT_EQ(lines.size(), 84u);
  EXPECT_EQ(lines[0], "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq -\tD\t1");
  EXPECT_EQ(lines[79], std::string(StartFen) + "\tD\t80") << "past the 64 plies of pgn2pos";
  EXPECT_EQ(lines[83], "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -\tB\t4");
  EXPECT_FALSE(std::filesystem::exists("out.fen.tmp"));
  char fen[96];
  writeFen(fen);
  EXPECT_STREQ(fen, StartFen) << "the position is the initial one again";
}

// What is in this directory besides the input, by name.
std::vector<std::string> otherFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    if (name != "g.pgn") names.push_back(name);
  }
  return names;
}

TEST_F(FenLines, FailuresLeaveTheOutputAsItWas) {
  writeFile("g.pgn", game("1-0", "1. e4 e5") + game("1-0", "1. e4 e5 2. Ke3"));
  const std::string printed = run("g.pgn", "out.fen");
  EXPECT_NE(printed.find("ERROR: MOVE NOT LEGAL 1 file: g.pgn"), std::string::npos) << printed;
  EXPECT_EQ(printed.find("pgn2fen:"), std::string::npos);
  EXPECT_EQ(run("missing.pgn", "out.fen"), "Cannot open PGN input file: 'missing.pgn'\n");
  EXPECT_EQ(run("g.pgn", "no/such/dir.fen"), "Cannot create FEN output file: 'no/such/dir.fen'\n");
  EXPECT_TRUE(otherFiles().empty()) << "no output, no temporary";
  // An earlier output stays whole when a later run fails.
  writeFile("out.fen", "earlier\n");
  run("g.pgn", "out.fen");
  EXPECT_EQ(readWholeFile("out.fen"), "earlier\n");
  EXPECT_EQ(otherFiles().size(), 1u);
}

}  // namespace
