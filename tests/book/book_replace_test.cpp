// Rebuilding the book while an engine reads it: the reader keeps the book it
// opened, a reader opened afterwards sees only the new one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "book/opening_book.h"
#include "book_test_helpers.h"
#include "support/test_support.h"

namespace {

class BookReplace : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(scratch_.enter("book-replace")); }
  void TearDown() override { scratch_.leave(); }
  ScratchDirectory scratch_;
};

// Keys spread over a few buckets, many to a bucket, so the binary search of a
// reader with a stale index lands on the new file's records.
std::vector<uint64_t> keys(uint64_t salt, int count) {
  std::vector<uint64_t> out;
  for (int i = 0; i < count; ++i) {
    const uint64_t bucket = static_cast<uint64_t>(i % 4) << 47;
    out.push_back(bucket | ((static_cast<uint64_t>(i) * 2654435761u + salt) & 0x7FFFFFFFFFFFULL));
  }
  return out;
}

int found(BookFile& book, const std::vector<uint64_t>& keys) {
  int count = 0;
  for (uint64_t key : keys) count += book.contains(key);
  return count;
}

TEST_F(BookReplace, AnOpenBookKeepsItsAnswersWhenTheFilesAreRebuilt) {
  const std::vector<uint64_t> before = keys(1, 400), after = keys(2, 150);
  writeBook("bookwtm", before);
  auto running = std::make_unique<BookFile>();
  char message[BookMessageBytes] = {};
  ASSERT_TRUE(running->open("bookwtm", message)) << message;

  writeBook("bookwtm", after);
  EXPECT_EQ(found(*running, before), 400);
  EXPECT_EQ(found(*running, after), 0);  // a false hit would be played unsearched

  auto fresh = std::make_unique<BookFile>();
  ASSERT_TRUE(fresh->open("bookwtm", message)) << message;
  EXPECT_EQ(fresh->recordCount(), 150);
  EXPECT_EQ(found(*fresh, after), 150);
  EXPECT_EQ(found(*fresh, before), 0);
  EXPECT_EQ(directoryNames(), (std::vector<std::string>{"bookwtm.mbk", "bookwtm.mbx"}));
}

}  // namespace
