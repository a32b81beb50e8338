// Awkward real-world PGN files (UTF-8 marks, FEN starts, variants, nested
// variations, UCI moves, missing tags): every converter ends cleanly, with a
// report or an error line, the position restored and only valid records written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

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

TEST(OddPgnFiles, EveryConverterEndsCleanly) {
  setUpPosition(StartFen);
  const std::string dir = makeScratchDirectory("odd-pgn");
  char previous[4096];
  ASSERT_EQ(getcwd(previous, sizeof previous), previous);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  openEngineLog("Veltor.log");

  int files = 0;
  for (const char* folder : {"data/pgn/edge-cases", "data/pgn/annotated"}) {
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(sharedDataPath(folder))) {
      if (entry.path().extension() != ".pgn") continue;
      ++files;
      const std::string pgn = entry.path().string();
      testing::internal::CaptureStdout();
      pgnToPos(pgn.c_str());
      pgnToGame(pgn.c_str(), "all.bin");
      const std::string printed = testing::internal::GetCapturedStdout();
      EXPECT_TRUE(endedCleanly(printed)) << pgn << "\n" << printed;
      char fen[96];
      writeFen(fen);
      EXPECT_STREQ(fen, StartFen) << pgn;
    }
  }
  EXPECT_GT(files, 20);

  // Whatever was collected is a valid game file that reads back.
  std::FILE* games = std::fopen("all.bin", "rb");
  ASSERT_NE(games, nullptr);
  const int count = countGameRecords(games);
  std::fclose(games);
  EXPECT_GT(count, 20);
  testing::internal::CaptureStdout();
  gameToPos("all.bin", "all.pos");
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("\tOK\nconverted: " + std::to_string(count) + " games.\n"),
            std::string::npos)
      << printed;

  EngineLog.close();
  ASSERT_EQ(chdir(previous), 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
