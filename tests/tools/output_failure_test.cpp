// Converters whose input cannot be read or whose output cannot be written:
// the failure is reported once, naming the file, no line claims success,
// and no file is created or changed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "core/log.h"
#include "core/position.h"
#include "support/test_support.h"
#include "tools/converters.h"
#include "tools/game_file.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
// Lets the captured output through, but no output of the inputs below.
constexpr unsigned long FullDiskBytes = 4096;

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every name in the directory but the log, with the bytes of a regular file.
std::map<std::string, std::string> snapshot() {
  std::map<std::string, std::string> files;
  for (const std::string& name : directoryNames()) {
    struct stat status;
    if (name == "Veltor.log" || lstat(name.c_str(), &status) != 0) continue;
    files[name] = S_ISREG(status.st_mode) ? readWholeFile(name) : "(not a regular file)";
  }
  return files;
}

class ConverterFailures : public ::testing::Test {
 protected:
  void SetUp() override {
    setUpPosition(StartFen);
    ASSERT_NO_FATAL_FAILURE(scratch_.enter("converter-failures"));
    openEngineLog("Veltor.log");
    // e2e4 e7e5 won by White, many times over: more than any buffer.
    std::string games;
    for (int i = 0; i < 3000; ++i) games += std::string("\x02\x80\x24\x0D\x1C\x03", 6);
    writeFile("g.game", games);
    // Games that all differ: knight moves out and back, one more ply each.
    std::string pgn;
    const char* cycle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
    for (int plies = 1; plies <= 80; ++plies) {
      pgn += "[Result \"1-0\"]\n\n";
      for (int p = 0; p < plies; ++p) pgn += std::string(cycle[p % 4]) + " ";
      pgn += "1-0\n\n";
    }
    writeFile("g.pgn", pgn);
    writeFile("list.txt", "g.pgn\n");
    // Outputs of earlier runs, which must survive.
    writeFile("7.pos", "old position line\n");
    writeFile("old.pgn", "[Result \"1-0\"]\n1. e2e4 1-0\n");
    writeFile("old.pos", "old position line\n");
    writeFile("old.game", std::string("\x01\x80\x24\x0D", 4));
  }
  void TearDown() override {
    if (!scratch_.entered()) return;
    EngineLog.close();
    scratch_.leave();
  }
  std::string output(const std::function<void()>& run) {
    testing::internal::CaptureStdout();
    run();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
  }
  // Runs the command; its output must be exactly `message` (or hold it,
  // with no success line, when `exact` is false) and no file may change.
  void expectFailure(const std::function<void()>& run, const std::string& message, bool exact,
                     unsigned long sizeLimit = 0) {
    const auto before = snapshot();
    std::string out;
    if (sizeLimit > 0) {
      FileSizeLimit fullDisk(sizeLimit);
      out = output(run);
    } else {
      out = output(run);
    }
    if (exact) {
      EXPECT_EQ(out, message);
    } else {
      EXPECT_NE(out.find(message), std::string::npos) << out;
      for (const char* success : {"OK", "converted:", "finished", "CONVERTED"}) {
        EXPECT_EQ(out.find(success), std::string::npos) << out;
      }
    }
    EXPECT_EQ(snapshot(), before) << out;
    EXPECT_EQ(readWholeFile("Veltor.log").find("<<< OK"), std::string::npos);
  }

  ScratchDirectory scratch_;
};

TEST_F(ConverterFailures, UnreadableInputsChangeNothing) {
  ASSERT_EQ(mkdir("adir", 0755), 0);
  ASSERT_EQ(mkfifo("fifo", 0644), 0);  // never waited on
  for (const std::string input : {"missing", "adir", "fifo"}) {
    SCOPED_TRACE(input);
    const char* in = input.c_str();
    const std::string note = input == "missing" ? "" : " (not a regular file)";
    const std::string pgnMessage = "Cannot open PGN input file: '" + input + "'" + note + "\n";
    const std::string gameMessage = "Cannot open GAME input file: '" + input + "'" + note + "\n";
    expectFailure([in] { pgnToPos(in); }, pgnMessage, true);
    expectFailure([in] { pgnToGame(in, "old.game"); }, pgnMessage, true);
    expectFailure([in] { pgnToGame(in, "new.game"); }, pgnMessage, true);
    expectFailure([in] { pgnListToGame(in, "old.game"); }, pgnMessage, true);
    expectFailure([in] { gameToPgn(in, "old.pgn"); }, gameMessage, true);
    expectFailure([in] { gameToPgn(in, "new.pgn"); }, gameMessage, true);
    expectFailure([in] { gameToPos(in, "old.pos"); }, gameMessage, true);
  }
}

TEST_F(ConverterFailures, AFullDiskKeepsTheOldOutputs) {
  expectFailure([] { pgnToPos("g.pgn"); }, "Cannot write POS output file: '", false, FullDiskBytes);
  expectFailure([] { pgnToGame("g.pgn", "old.game"); },
                "Cannot write GAME output file: 'old.game'\n", false, FullDiskBytes);
  expectFailure([] { pgnListToGame("list.txt", "new.game"); },
                "Cannot write GAME output file: 'new.game'\n", false, FullDiskBytes);
  expectFailure([] { gameToPgn("g.game", "old.pgn"); },
                "\nCannot write PGN output file: 'old.pgn'\n", false, FullDiskBytes);
  expectFailure([] { gameToPos("g.game", "old.pos"); },
                "\nCannot write POS output file: 'old.pos'\n", false, FullDiskBytes);
}

TEST_F(ConverterFailures, DevicesAreNotOutputs) {
  if (access("/dev/full", F_OK) != 0) GTEST_SKIP() << "no /dev/full";
  expectFailure([] { gameToPgn("g.game", "/dev/full"); },
                "Cannot create PGN output file: '/dev/full' (not a regular file)\n", true);
  expectFailure([] { gameToPos("g.game", "/dev/full"); },
                "Cannot create POS output file: '/dev/full' (not a regular file)\n", true);
  expectFailure([] { pgnToGame("g.pgn", "/dev/full"); },
                "Cannot create GAME output file: '/dev/full' (not a regular file)\n", true);
  ASSERT_EQ(unlink("7.pos"), 0);
  ASSERT_EQ(symlink("/dev/full", "7.pos"), 0);
  expectFailure([] { pgnToPos("g.pgn"); },
                "Cannot create POS output file: '7.pos' (not a regular file)\n", true);
}

}  // namespace
