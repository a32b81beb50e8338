// Database files out of order, with duplicate keys or a torn last record:
// a lookup may miss, but it never hands out the record of another key, in
// whatever order the lookups come (the binary search starts from the record
// the previous lookup left current).
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "db/db_test_helpers.h"
#include "db/position_database.h"

namespace {

TEST(DatabaseBadInput, DisorderedFilesNeverGiveAnotherKeysRecord) {
  ScopedWorkingDirectory dir("db-bad-input");
  ASSERT_TRUE(dir.entered());
  const std::vector<uint64_t> keys = {0x50, 0x10, 0x90, 0x30, 0x30, 0x70, 0x20, 0x80};
  std::vector<PositionRecord> records;
  for (size_t i = 0; i < keys.size(); ++i)
    records.push_back(statsRecord(keys[i], uint32_t(i) + 1, 0, 0));
  writeDatabaseFile("bad.db", records, std::string(PositionRecordBytes - 1, '\x7F'));

  PositionDatabase db;
  char message[DatabaseMessageBytes] = {};
  ASSERT_TRUE(db.open("bad.db", message));
  EXPECT_EQ(db.recordCount(), static_cast<int64_t>(keys.size()));  // the torn record is no record
  // Forward, backward and interleaved with absent keys, twice over.
  std::vector<uint64_t> probes;
  for (int round = 0; round < 2; ++round) {
    for (uint64_t k = 0; k <= 0xA0; k += 8) probes.push_back(k);
    for (uint64_t k = 0xA0; k + 8 > 8; k -= 8) probes.push_back(k);
  }
  testing::internal::CaptureStdout();  // the linear scan reports the disorder
  for (uint64_t key : probes) {
    SCOPED_TRACE(key);
    const PositionRecord* found = db.find(key);
    if (found != nullptr) {
      EXPECT_EQ(found->key, key);
    }
    const PositionRecord* linear = db.findLinear(key);
    if (linear != nullptr) {
      EXPECT_EQ(linear->key, key);
    }
  }
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("Sort ERROR: current: 10, prev: 50\n"), std::string::npos) << printed;
  EXPECT_FALSE(db.readFailed());
}

}  // namespace
