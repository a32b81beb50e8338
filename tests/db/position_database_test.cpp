#include "db/position_database.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/position.h"
#include "db/db_commands.h"
#include "db/db_test_helpers.h"

namespace {

std::vector<PositionRecord> ascendingRecords(int count) {
  std::vector<PositionRecord> records;
  // Spread over the whole unsigned range, top bit included.
  const uint64_t step = (~0ull - 0x2000) / static_cast<uint64_t>(count);
  for (int i = 0; i < count; ++i) {
    const uint64_t key = 0x1000 + static_cast<uint64_t>(i) * step;
    records.push_back(statsRecord(key, i, 2 * i, 3 * i));
  }
  return records;
}

TEST(PositionDatabase, OnlyAnExistingRegularFileOpensAndNothingIsCreated) {
  ScopedWorkingDirectory dir("db-missing");
  ASSERT_TRUE(dir.entered());
  PositionDatabase db;
  char message[DatabaseMessageBytes] = {};
  EXPECT_FALSE(db.open("none.db", message));
  EXPECT_STREQ(message, "Cannot open file: none.db\n");
  EXPECT_FALSE(fileExists("none.db"));
  // A directory, and a FIFO that would block an open for reading until a
  // writer came.
  ASSERT_EQ(mkdir("adir", 0755), 0);
  EXPECT_FALSE(db.open("adir", message));
  EXPECT_STREQ(message, "Cannot open file: adir (not a regular file)\n");
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  EXPECT_FALSE(db.open("fifo", message));
  EXPECT_STREQ(message, "Cannot open file: fifo (not a regular file)\n");

  writeDatabaseFile("empty.db", {});
  ASSERT_TRUE(db.open("empty.db", message)) << message;
  EXPECT_EQ(db.recordCount(), 0);
  EXPECT_EQ(db.find(0), nullptr);
  EXPECT_EQ(db.findLinear(0), nullptr);
  EXPECT_EQ(db.recordReads(), 0u);
}

TEST(PositionDatabase, UnreadablePathFailsWithMessage) {
  ScopedWorkingDirectory dir("db-unreadable");
  ASSERT_TRUE(dir.entered());
  PositionDatabase db;
  char message[DatabaseMessageBytes] = {};
  EXPECT_FALSE(db.open("no/such/dir/x.db", message));
  EXPECT_STREQ(message, "Cannot open file: no/such/dir/x.db\n");
}

TEST(PositionDatabase, OneRecordFileFindsOnlyItsRecord) {
  ScopedWorkingDirectory dir("db-one");
  ASSERT_TRUE(dir.entered());
  writeDatabaseFile("one.db", {statsRecord(0x8000000000000000ull, 4, 5, 6)}, "xyz");
  PositionDatabase db;
  char message[DatabaseMessageBytes] = {};
  ASSERT_TRUE(db.open("one.db", message));
  EXPECT_EQ(db.recordCount(), 1);  // trailing bytes are not a record
  const PositionRecord* r = db.find(0x8000000000000000ull);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->blackWins, 5u);
  ASSERT_NE(db.findLinear(0x8000000000000000ull), nullptr);
  EXPECT_EQ(db.find(0x8000000000000001ull), nullptr);
  EXPECT_EQ(db.find(0x7FFFFFFFFFFFFFFFull), nullptr);
  EXPECT_EQ(db.findLinear(0x8000000000000001ull), nullptr);
  EXPECT_EQ(db.findLinear(1), nullptr);
}

TEST(PositionDatabase, EveryKeyFoundByBothLookupsAndGapsAbsent) {
  ScopedWorkingDirectory dir("db-all");
  ASSERT_TRUE(dir.entered());
  for (int count : {2, 3, 4, 7, 16, 33}) {
    std::vector<PositionRecord> records = ascendingRecords(count);
    writeDatabaseFile("all.db", records);
    PositionDatabase db;
    char message[DatabaseMessageBytes] = {};
    ASSERT_TRUE(db.open("all.db", message));
    ASSERT_EQ(db.recordCount(), count);
    // Order matters: each binary search starts from the record the last read left.
    for (int i = count - 1; i >= 0; --i) {
      const PositionRecord* r = db.find(records[i].key);
      ASSERT_NE(r, nullptr) << count << " " << i;
      EXPECT_EQ(r->blackWins, records[i].blackWins);
      EXPECT_EQ(db.find(records[i].key + 1), nullptr);
    }
    for (int i = 0; i < count; ++i) {
      ASSERT_NE(db.find(records[i].key), nullptr) << count << " " << i;
      const PositionRecord* r = db.findLinear(records[i].key);
      ASSERT_NE(r, nullptr) << count << " " << i;
      EXPECT_EQ(r->draws, records[i].draws);
      EXPECT_EQ(db.findLinear(records[i].key - 1), nullptr);
    }
  }
}

TEST(PositionDatabase, KeysOutsideTheRangeCostNoRead) {
  ScopedWorkingDirectory dir("db-range");
  ASSERT_TRUE(dir.entered());
  writeDatabaseFile("r.db", ascendingRecords(10));
  PositionDatabase db;
  char message[DatabaseMessageBytes] = {};
  ASSERT_TRUE(db.open("r.db", message));
  const uint64_t reads = db.recordReads();
  EXPECT_EQ(db.find(0), nullptr);
  EXPECT_EQ(db.find(0xFFF), nullptr);
  EXPECT_EQ(db.find(~0ull), nullptr);
  EXPECT_EQ(db.recordReads(), reads);
}

TEST(PositionDatabase, LinearScanReportsDisorder) {
  ScopedWorkingDirectory dir("db-sort");
  ASSERT_TRUE(dir.entered());
  writeDatabaseFile("s.db", {statsRecord(0, 1, 0, 0), statsRecord(0x20, 1, 0, 0),
                             statsRecord(0x10, 1, 0, 0), statsRecord(0x30, 1, 0, 0)});
  PositionDatabase db;
  char message[DatabaseMessageBytes] = {};
  ASSERT_TRUE(db.open("s.db", message));
  testing::internal::CaptureStdout();
  const PositionRecord* r = db.findLinear(0x30);
  std::string out = testing::internal::GetCapturedStdout();
  ASSERT_NE(r, nullptr);
  // Key 0 first: the previous key starts at 0, so it is reported too.
  EXPECT_EQ(out,
            "Sort ERROR: current: 0, prev: 0\n"
            "Sort ERROR: current: 10, prev: 20\n");
}

TEST(PositionDatabase, SequentialReadingVisitsRecordsInFileOrder) {
  ScopedWorkingDirectory dir("db-seq");
  ASSERT_TRUE(dir.entered());
  std::vector<PositionRecord> records = ascendingRecords(5);
  writeDatabaseFile("q.db", records, "abc");
  PositionDatabase db;
  char message[DatabaseMessageBytes] = {};
  ASSERT_TRUE(db.open("q.db", message));
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(db.rewind());
    for (const PositionRecord& expected : records) {
      const PositionRecord* r = db.next();
      ASSERT_NE(r, nullptr);
      EXPECT_EQ(r->key, expected.key);
    }
    EXPECT_EQ(db.next(), nullptr);
    EXPECT_FALSE(db.readFailed());
  }
  // A lookup after the walk still finds the middle record.
  EXPECT_NE(db.find(records[2].key), nullptr);
}

TEST(DatabasePair, BlackOpensFirstAndAFailureStopsWhite) {
  ScopedWorkingDirectory dir("db-pair");
  ASSERT_TRUE(dir.entered());
  DatabasePair pair;
  EXPECT_FALSE(pair.open("w.db", "missing/b.db"));
  EXPECT_STREQ(pair.message, "Cannot open file: missing/b.db\n");
  writeDatabaseFile("b.db", {});
  EXPECT_FALSE(pair.open("w.db", "b.db"));
  EXPECT_STREQ(pair.message, "Cannot open file: w.db\n");
  writeDatabaseFile("w.db", {});
  EXPECT_TRUE(pair.open("w.db", "b.db"));
}

TEST(DbShow, WithoutDatabasesSaysSoAndCreatesNothing) {
  ScopedWorkingDirectory dir("db-show-empty");
  ASSERT_TRUE(dir.entered());
  Pos.side = White;
  Pos.key = 0x1234;
  for (bool linear : {false, true}) {
    testing::internal::CaptureStdout();
    runDbShow(linear);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cannot open file: black.db\n\n");
    EXPECT_FALSE(fileExists("black.db"));
    EXPECT_FALSE(fileExists("white.db"));
  }
  // Empty databases know no position.
  writeDatabaseFile("black.db", {});
  writeDatabaseFile("white.db", {});
  testing::internal::CaptureStdout();
  runDbShow(false);
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_GE(out.size(), 18u);
  EXPECT_EQ(out.substr(out.size() - 18), "record not found.\n");
}

TEST(DbShow, PrintsCountsOfTheSideToMove) {
  ScopedWorkingDirectory dir("db-show");
  ASSERT_TRUE(dir.entered());
  writeDatabaseFile("white.db", {statsRecord(0x10, 2, 0, 1), statsRecord(0x20, 9, 9, 9)});
  writeDatabaseFile("black.db", {statsRecord(0x10, 0, 3, 0, 5, false)});
  for (bool linear : {false, true}) {
    Pos.key = 0x10;
    Pos.side = White;
    testing::internal::CaptureStdout();
    runDbShow(linear);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("w: 2, b: 0, d: 1, score: 0.833333\n"), std::string::npos) << out;
    Pos.side = Black;
    testing::internal::CaptureStdout();
    runDbShow(linear);
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("w: 0, b: 3, d: 0, score: 0.000000\n"), std::string::npos) << out;
  }
}

}  // namespace
