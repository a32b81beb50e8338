#include "db/database_creation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "db/db_commands.h"
#include "db/db_test_helpers.h"
#include "db/position_database.h"

namespace {

constexpr const char* Kings = "8/8/8/8/8/8/8/K6k";

std::string line(const char* key, char side, char result, int ply, const char* placement = Kings,
                 const char* castling = "-", const char* enPassant = "-") {
  return std::string(key) + "\t" + placement + " " + side + " " + castling + " " + enPassant +
         "\t" + result + "\t" + std::to_string(ply) + "\n";
}

std::vector<PositionRecord> readDatabase(const std::string& path) {
  std::vector<PositionRecord> records;
  std::string bytes = readWholeFile(path);
  for (size_t at = 0; at + PositionRecordBytes <= bytes.size(); at += PositionRecordBytes) {
    PositionRecord r;
    unpackRecord(reinterpret_cast<const uint8_t*>(bytes.data() + at), r);
    records.push_back(r);
  }
  return records;
}

struct PassResult {
  bool ok;
  std::string output;
  std::string message;
};

PassResult runPass(const std::string& input, char side, const char* out = "out.db") {
  writeTextFile("in.pos", input);
  char message[DatabaseMessageBytes] = {};
  testing::internal::CaptureStdout();
  bool ok = createDatabase("in.pos", out, side, message);
  return {ok, testing::internal::GetCapturedStdout(), message};
}

class DatabaseCreation : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.entered()); }
  ScopedWorkingDirectory dir_{"dbcreate"};
};

TEST_F(DatabaseCreation, EqualKeysMergeIntoOneRecord) {
  PassResult pass =
      runPass(line("0000000000000010", 'w', 'W', 12) + line("0000000000000010", 'w', 'D', 5) +
                  line("0000000000000010", 'w', 'W', 30) +
                  line("0000000000000020", 'w', 'B', 7, Kings, "-", "c6"),
              'W');
  ASSERT_TRUE(pass.ok) << pass.message;
  std::vector<PositionRecord> records = readDatabase("out.db");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].key, 0x10u);
  EXPECT_EQ(records[0].whiteWins, 2u);
  EXPECT_EQ(records[0].blackWins, 0u);
  EXPECT_EQ(records[0].draws, 1u);
  EXPECT_EQ(plyOf(records[0]), 5);
  EXPECT_EQ(records[1].blackWins, 1u);
  EXPECT_EQ(records[1].stateByte, RecordWhiteToMove | 2);
  EXPECT_EQ(records[1].plyByte, RecordHasEnPassant | 7);
  EXPECT_EQ(pass.output, "creating new database 'out.db':  0%\b\b\b\b100%\b\b\b\b100%... done.\n");
}

TEST_F(DatabaseCreation, SharedKeyOfAnotherPositionReplacesTheRecord) {
  PassResult pass =
      runPass(line("0000000000000010", 'b', 'W', 3) + line("0000000000000010", 'b', 'W', 3) +
                  line("0000000000000010", 'b', 'D', 9, "8/8/8/8/8/8/8/k6K"),
              'B');
  ASSERT_TRUE(pass.ok);
  std::vector<PositionRecord> records = readDatabase("out.db");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].whiteWins, 0u);
  EXPECT_EQ(records[0].draws, 1u);
  EXPECT_EQ(plyOf(records[0]), 9);
}

TEST_F(DatabaseCreation, EnPassantAndCastlingSeparatePositions) {
  // Same key, same placement: another en-passant state or castling is another position.
  PassResult pass = runPass(line("0000000000000010", 'w', 'W', 3, Kings, "K") +
                                line("0000000000000010", 'w', 'W', 3, Kings, "K", "e6") +
                                line("0000000000000010", 'w', 'W', 3, Kings, "Q", "e6"),
                            'W');
  ASSERT_TRUE(pass.ok);
  std::vector<PositionRecord> records = readDatabase("out.db");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].whiteWins, 1u);
  EXPECT_EQ(records[0].stateByte, RecordWhiteToMove | RecordWhiteQueenSide | 4);
}

TEST_F(DatabaseCreation, UnsortedInputStopsOnlyItsOwnSide) {
  const std::string input = line("0000000000000030", 'b', 'W', 2) +
                            line("0000000000000020", 'w', 'D', 3) +  // smaller, other side
                            line("0000000000000040", 'b', 'B', 4) +
                            line("0000000000000025", 'w', 'W', 5) +
                            line("0000000000000035", 'b', 'W', 6) +  // smaller, own side
                            line("0000000000000050", 'b', 'W', 7);
  PassResult black = runPass(input, 'B');
  EXPECT_FALSE(black.ok);
  EXPECT_EQ(black.message, "ERROR: input file with positions not sorted by hash!\n" +
                               line("0000000000000035", 'b', 'W', 6) + "\n");
  EXPECT_EQ(black.output.find("done"), std::string::npos);
  // Records written so far plus the one in hand; nothing after the error.
  std::vector<PositionRecord> records = readDatabase("out.db");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].key, 0x30u);
  EXPECT_EQ(records[1].key, 0x40u);

  PassResult white = runPass(input, 'W');
  EXPECT_TRUE(white.ok) << white.message;
  EXPECT_EQ(readDatabase("out.db").size(), 2u);
}

TEST_F(DatabaseCreation, ParseErrorOnFirstLineLeavesNoRecord) {
  PassResult pass =
      runPass(line("0000000000000010", 'w', 'X', 1) + "short line\n" +
                  line("0000000000000011", 'w', 'W', 2) + line("0000000000000012", 'w', 'Z', 3) +
                  line("0000000000000013", 'w', 'B', 4),
              'W');
  ASSERT_TRUE(pass.ok);
  // Short lines are not counted; the bad line keeps its count.
  EXPECT_NE(pass.output.find("\nparse error skipped line: 1\n" +
                             line("0000000000000010", 'w', 'X', 1) + "\n"),
            std::string::npos)
      << pass.output;
  EXPECT_NE(pass.output.find("\nparse error skipped line: 3\n"), std::string::npos) << pass.output;
  std::vector<PositionRecord> records = readDatabase("out.db");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].key, 0x11u);
  EXPECT_EQ(records[1].key, 0x13u);
}

TEST_F(DatabaseCreation, OtherSideOnlyGivesAnEmptyDatabase) {
  PassResult pass =
      runPass(line("0000000000000010", 'b', 'W', 1) + line("0000000000000005", 'b', 'W', 1), 'W');
  EXPECT_TRUE(pass.ok);
  EXPECT_TRUE(fileExists("out.db"));
  EXPECT_EQ(readWholeFile("out.db").size(), 0u);
  EXPECT_EQ(pass.output, "creating new database 'out.db':  0%\b\b\b\b100%... done.\n");
}

TEST_F(DatabaseCreation, OverlongLineIsReadAwayNotTakenAsANewLine) {
  // The tail of the long line would parse as a line of its own if it were left.
  std::string tail = line("0000000000000001", 'w', 'W', 1);
  std::string longLine = line("0000000000000010", 'w', 'D', 2);
  longLine.pop_back();
  longLine += "\t" + std::string(300 - longLine.size(), ' ') + tail;
  PassResult pass = runPass(longLine + line("0000000000000020", 'w', 'W', 3), 'W');
  ASSERT_TRUE(pass.ok) << pass.message;
  std::vector<PositionRecord> records = readDatabase("out.db");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].key, 0x10u);
  EXPECT_EQ(records[0].draws, 1u);
  EXPECT_EQ(records[1].key, 0x20u);
}

TEST_F(DatabaseCreation, ProgressNeverGoesBackwardsNorBeyondAHundred) {
  std::string input;
  for (int i = 1; i <= 300; ++i) {
    char key[17];
    snprintf(key, sizeof key, "%016X", i);
    input += line(key, 'w', 'W', i % 70);
  }
  PassResult pass = runPass(input, 'W');
  ASSERT_TRUE(pass.ok);
  int last = -1;
  size_t at = 0;
  while ((at = pass.output.find("\b\b\b\b", at)) != std::string::npos) {
    at += 4;
    if (pass.output.compare(at, 7, "100%...") == 0) break;  // the closing line
    const int percent = std::stoi(pass.output.substr(at, 3));
    EXPECT_GT(percent, last);
    EXPECT_LE(percent, 100);
    last = percent;
  }
  EXPECT_GT(last, 90);
  EXPECT_EQ(pass.output.substr(pass.output.size() - 14), "100%... done.\n");
  EXPECT_EQ(readDatabase("out.db").size(), 300u);
}

TEST_F(DatabaseCreation, FailuresLeaveMessagesAndWriteNothing) {
  char message[DatabaseMessageBytes] = {};
  EXPECT_FALSE(createDatabase("in.pos", "out.db", 'X', message));
  EXPECT_STREQ(message, "WRONG STM parameter: X\n");
  EXPECT_FALSE(createDatabase("missing.pos", "out.db", 'W', message));
  EXPECT_STREQ(message, "Cannot open file statistics: missing.pos\n");
  EXPECT_FALSE(fileExists("out.db"));

  PassResult pass = runPass(line("0000000000000010", 'w', 'W', 1), 'W', "no/dir/out.db");
  EXPECT_FALSE(pass.ok);
  EXPECT_EQ(pass.message, "Cannot create file: no/dir/out.db\n");

  // Status readable, contents not: a directory or a FIFO (never waited on).
  ASSERT_EQ(mkdir("adir", 0755), 0);
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  for (const char* input : {"adir", "fifo"}) {
    EXPECT_FALSE(createDatabase(input, "dir.db", 'W', message));
    EXPECT_EQ(message, std::string("Cannot open file: ") + input + " (not a regular file)\n");
  }
  EXPECT_FALSE(fileExists("dir.db"));
}

// Position lines of `count` keys for each side, sorted: 54 bytes a record.
std::string manyLines(int count) {
  std::string lines;
  for (int k = 0; k < count; ++k) {
    char key[17];
    snprintf(key, sizeof key, "%016X", 0x100 + k);
    lines += line(key, 'w', 'W', 1) + line(key, 'b', 'D', 2);
  }
  return lines;
}

// The limit lets the captured output through but not 200 records.
constexpr unsigned long FullDiskBytes = 4000;

TEST_F(DatabaseCreation, WriteFailureIsNotSuccessAndKeepsTheOldFile) {
  writeTextFile("old.db", "old bytes");
  writeTextFile("in.pos", manyLines(200));
  char message[DatabaseMessageBytes] = {};
  testing::internal::CaptureStdout();
  {
    FileSizeLimit fullDisk(FullDiskBytes);
    EXPECT_FALSE(createDatabase("in.pos", "old.db", 'W', message));
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout().find("done."), std::string::npos);
  EXPECT_STREQ(message, "Cannot write file: old.db\n");
  EXPECT_EQ(readWholeFile("old.db"), "old bytes");
  // A device is not replaced by a database.
  if (fileExists("/dev/full")) {
    EXPECT_FALSE(createDatabase("in.pos", "/dev/full", 'W', message));
    EXPECT_STREQ(message, "Cannot create file: /dev/full (not a regular file)\n");
  }
}

// An input that does not open leaves both databases as they were (nothing
// is created), and a failed pass keeps the old pair whole.
TEST_F(DatabaseCreation, CommandFailuresKeepBothOldDatabases) {
  writeTextFile("y_black.db", "old black");
  writeTextFile("y_white.db", "old white");
  ASSERT_EQ(mkdir("adir", 0755), 0);
  const auto run = [](const char* input, const char* name) {
    testing::internal::CaptureStdout();
    runDbCreate(input, name);
    return testing::internal::GetCapturedStdout();
  };
  EXPECT_EQ(run("adir", "y"), "Cannot open file: adir (not a regular file)\n\n");
  EXPECT_EQ(run("adir", "fresh"), "Cannot open file: adir (not a regular file)\n\n");
  EXPECT_EQ(run("missing.pos", "y"), "Cannot open file statistics: missing.pos\n\n");
  EXPECT_FALSE(fileExists("fresh_black.db"));
  writeTextFile("games.pos", manyLines(200));
  std::string out;
  {
    FileSizeLimit fullDisk(FullDiskBytes);
    out = run("games.pos", "y");
  }
  EXPECT_NE(out.find("Cannot write file: y_black.db\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("created."), std::string::npos) << out;
  EXPECT_EQ(readWholeFile("y_black.db"), "old black");
  EXPECT_EQ(readWholeFile("y_white.db"), "old white");
  out = run("games.pos", "y");
  EXPECT_EQ(out.substr(out.size() - 9), "created.\n");
  EXPECT_EQ(readDatabase("y_black.db").size(), 200u);
  EXPECT_EQ(readDatabase("y_white.db").size(), 200u);
}

TEST_F(DatabaseCreation, CommandBuildsBlackThenWhite) {
  writeTextFile("games.pos",
                line("0000000000000010", 'w', 'W', 1) + line("0000000000000011", 'b', 'D', 2));
  testing::internal::CaptureStdout();
  runDbCreate("games.pos", "set");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_LT(out.find("'set_black.db'"), out.find("'set_white.db'"));
  EXPECT_EQ(out.substr(out.size() - 9), "created.\n");
  ASSERT_EQ(readDatabase("set_black.db").size(), 1u);
  EXPECT_EQ(readDatabase("set_black.db")[0].key, 0x11u);
  ASSERT_EQ(readDatabase("set_white.db").size(), 1u);

  // A failed Black pass leaves the White database unmade.
  writeTextFile("bad.pos",
                line("0000000000000020", 'b', 'W', 1) + line("0000000000000010", 'b', 'W', 1));
  testing::internal::CaptureStdout();
  runDbCreate("bad.pos", "bad");
  out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("ERROR: input file with positions not sorted by hash!\n"), std::string::npos);
  EXPECT_TRUE(fileExists("bad_black.db"));
  EXPECT_FALSE(fileExists("bad_white.db"));
}

}  // namespace
