// Converters whose output cannot be written (a full disk): the failure is
// reported and no line after it claims success.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/log.h"
#include "core/position.h"
#include "support/test_support.h"
#include "tools/converters.h"
#include "tools/game_file.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

class FullDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    setUpPosition(StartFen);
    ASSERT_NO_FATAL_FAILURE(scratch_.enter("full-disk"));
    openEngineLog("Veltor.log");
    // Two games, e2e4 e7e5 won by White, many times over: more than any buffer.
    std::ofstream games("g.game", std::ios::binary);
    for (int i = 0; i < 3000; ++i) games << std::string("\x02\x80\x24\x0D\x1C\x03", 6);
    std::ofstream pgn("g.pgn");
    for (int i = 0; i < 300; ++i) pgn << "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n";
  }
  void TearDown() override {
    if (!scratch_.entered()) return;
    EngineLog.close();
    scratch_.leave();
  }
  template <typename Run>
  std::string output(Run run) {
    testing::internal::CaptureStdout();
    run();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
  }

  ScratchDirectory scratch_;
};

TEST_F(FullDisk, GameToPgnAndGameToPosReportTheFailureAndNoSuccess) {
  std::string out = output([] { gameToPgn("g.game", "/dev/full"); });
  EXPECT_NE(out.find("Cannot write PGN output file: '/dev/full'\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("OK"), std::string::npos) << out;
  EXPECT_EQ(out.find("converted:"), std::string::npos) << out;

  out = output([] { gameToPos("g.game", "/dev/full"); });
  EXPECT_NE(out.find("Cannot write DB output file: '/dev/full'\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("OK"), std::string::npos) << out;
  EXPECT_EQ(out.find("converted:"), std::string::npos) << out;
}

TEST_F(FullDisk, PgnToPosReportsTheFailureAndNoSuccess) {
  ASSERT_EQ(symlink("/dev/full", "7.pos"), 0);
  const std::string out = output([] { pgnToPos("g.pgn"); });
  EXPECT_NE(out.find("Cannot write POS output file: '7.pos'\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("finished"), std::string::npos) << out;
  EXPECT_EQ(out.find("converted:"), std::string::npos) << out;
  EngineLog.flush();
  EXPECT_EQ(readWholeFile("Veltor.log").find("<<< OK"), std::string::npos);
}

}  // namespace
