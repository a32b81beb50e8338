// Awkward real-world PGN files (UTF-8 marks, FEN starts, variants, nested
// variations, UCI moves, missing tags): every converter ends cleanly, with a
// report or an error line, the position restored and only valid records written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/position.h"
#include "support/test_support.h"
#include "tools/converters.h"
#include "tools/game_file.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

bool endedCleanly(const std::string& printed) {
  return printed.find("\t\tfinished\n") != std::string::npos ||
         printed.find("ERROR: ") != std::string::npos;
}

// Runs "pgn2pos" and "pgn2game" over each file in a scratch directory, all
// games going to one game file, and checks that file reads back; `collected`
// is the number of games it holds.
void convertEach(const std::vector<std::string>& pgns, int& collected) {
  setUpPosition(StartFen);
  const std::string dir = makeScratchDirectory("odd-pgn");
  char previous[4096];
  ASSERT_EQ(getcwd(previous, sizeof previous), previous);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  openEngineLog("Veltor.log");

  for (const std::string& pgn : pgns) {
    testing::internal::CaptureStdout();
    pgnToPos(pgn.c_str());
    pgnToGame(pgn.c_str(), "all.bin");
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(endedCleanly(printed)) << pgn << "\n" << printed;
    char fen[96];
    writeFen(fen);
    EXPECT_STREQ(fen, StartFen) << pgn;
  }

  // Whatever was collected is a valid game file that reads back.
  std::FILE* games = std::fopen("all.bin", "rb");
  ASSERT_NE(games, nullptr);
  collected = countGameRecords(games);
  std::fclose(games);
  testing::internal::CaptureStdout();
  gameToPos("all.bin", "all.pos");
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("\tOK\nconverted: " + std::to_string(collected) + " games.\n"),
            std::string::npos)
      << printed;

  EngineLog.close();
  ASSERT_EQ(chdir(previous), 0);
  std::filesystem::remove_all(dir);
}

TEST(OddPgnFiles, RepositoryFileConvertsCleanly) {
  int collected = 0;
  convertEach({fixturePath("odd-games.pgn")}, collected);
  // The annotated game, the one in coordinate moves, the one with tabs and DOS
  // line ends and the plain one; the set-up start, the game without moves,
  // the piece drops and the null moves are skipped, and the illegal king move
  // ends the file.
  EXPECT_EQ(collected, 4);
}

TEST(OddPgnFiles, EveryConverterEndsCleanly) {
  SKIP_WITHOUT_SHARED_DATA("data/pgn/edge-cases");
  std::vector<std::string> pgns;
  for (const char* folder : {"data/pgn/edge-cases", "data/pgn/annotated"}) {
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(sharedDataPath(folder))) {
      if (entry.path().extension() == ".pgn") pgns.push_back(entry.path().string());
    }
  }
  EXPECT_GT(pgns.size(), 20u);
  int collected = 0;
  convertEach(pgns, collected);
  EXPECT_GT(collected, 20);
}

}  // namespace
