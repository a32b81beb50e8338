#include "book/opening_book.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "book/book_test_helpers.h"
#include "db/db_test_helpers.h"

namespace {

constexpr uint64_t LastBucket = BookBuckets - 1;
uint64_t inBucket(uint64_t bucket, uint64_t low47) { return bucket << BookBucketShift | low47; }

uint32_t indexEntry(const std::string& bytes, int bucket) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + 4 * bucket;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

class BookFiles : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.entered()); }
  ScopedWorkingDirectory dir_{"book"};
  std::unique_ptr<BookFile> book_ = std::make_unique<BookFile>();
  char message_[BookMessageBytes] = {};
};

TEST_F(BookFiles, WriterIndexHoldsBucketEnds) {
  writeBook("b", {inBucket(0, 1), inBucket(0, 0x7FFFFFFFFFFFull), inBucket(5, 0x123456789ABull)});
  const std::string index = readWholeFile("b.mbx");
  ASSERT_EQ(index.size(), static_cast<size_t>(BookIndexBytes));
  for (int b = 0; b <= 4; ++b) EXPECT_EQ(indexEntry(index, b), 2u) << b;
  for (int b : {5, 6, 1000, BookBuckets - 1}) EXPECT_EQ(indexEntry(index, b), 3u) << b;
  // Records: low 32 bits, then bits 32-46 with bit 15 clear.
  const std::string data = readWholeFile("b.mbk");
  ASSERT_EQ(data.size(), 18u);
  const uint8_t second[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  EXPECT_EQ(0, std::memcmp(data.data() + 6, second, 6));
  const uint8_t third[6] = {0xAB, 0x89, 0x67, 0x45, 0x23, 0x01};
  EXPECT_EQ(0, std::memcmp(data.data() + 12, third, 6));
}

TEST_F(BookFiles, RoundTripFindsEdgesOfTheKeySpace) {
  const std::vector<uint64_t> keys = {0,  // bucket 0, first record
                                      inBucket(0, 0x7FFFFFFFFFFFull),
                                      inBucket(7, 5),
                                      inBucket(7, 6),
                                      inBucket(7, 0x100000000ull),
                                      inBucket(LastBucket, 0),  // first record of the last bucket
                                      inBucket(LastBucket, 0x400000000ull),
                                      ~0ull};  // last record of the file
  writeBook("rt", keys);
  ASSERT_TRUE(book_->open("rt", message_)) << message_;
  EXPECT_EQ(book_->recordCount(), static_cast<int64_t>(keys.size()));
  for (uint64_t key : keys) EXPECT_TRUE(book_->contains(key)) << std::hex << key;
  const uint64_t absent[] = {1,
                             inBucket(7, 4),
                             inBucket(7, 7),
                             inBucket(7, 0x100000001ull),
                             inBucket(7, 0x200000000ull) | 6,
                             inBucket(LastBucket, 1),
                             ~0ull - 1,
                             inBucket(8, 5)};
  for (uint64_t key : absent) EXPECT_FALSE(book_->contains(key)) << std::hex << key;
}

TEST_F(BookFiles, KeysDifferingOnlyInTheTop17BitsAreDistinct) {
  const uint64_t low = 0x1234567ABCDull;
  writeBook("top", {inBucket(3, low)});
  ASSERT_TRUE(book_->open("top", message_));
  EXPECT_TRUE(book_->contains(inBucket(3, low)));
  for (uint64_t bucket : std::vector<uint64_t>{0, 2, 4, 0x10003, LastBucket}) {
    EXPECT_FALSE(book_->contains(inBucket(bucket, low))) << bucket;
  }
}

TEST_F(BookFiles, EmptyBucketCostsNoRead) {
  writeBook("e", {inBucket(2, 1), inBucket(9, 1)});
  ASSERT_TRUE(book_->open("e", message_));
  EXPECT_FALSE(book_->contains(inBucket(5, 1)));
  EXPECT_FALSE(book_->contains(inBucket(100, 1)));
  EXPECT_EQ(book_->recordReads(), 0u);
  EXPECT_TRUE(book_->contains(inBucket(9, 1)));
  EXPECT_EQ(book_->recordReads(), 1u);
}

TEST_F(BookFiles, DataFilesShorterThanARecordAreEmptyBooks) {
  writeBook("z", {});
  for (int size = 0; size <= 5; ++size) {
    writeTextFile("z.mbk", std::string(size, '\xFF'));
    ASSERT_TRUE(book_->open("z", message_)) << size;
    EXPECT_EQ(book_->recordCount(), 0);
    EXPECT_FALSE(book_->contains(~0ull));
  }
}

TEST_F(BookFiles, IndexOfTheWrongSizeIsRejectedBeforeTheData) {
  writeBook("w", {5});
  const std::string good = readWholeFile("w.mbx");
  for (size_t size : {size_t{0}, good.size() - 1, good.size() + 1}) {
    std::string bad = good;
    bad.resize(size, '\0');
    writeTextFile("w.mbx", bad);
    EXPECT_FALSE(book_->open("w", message_));
    EXPECT_STREQ(message_, "Wrong file format 'w.mbx'.\n");
    EXPECT_EQ(book_->recordCount(), 0);
    EXPECT_FALSE(book_->contains(5));
  }
}

TEST_F(BookFiles, OpenFailuresNameTheirFile) {
  EXPECT_FALSE(book_->open("nothing", message_));
  EXPECT_STREQ(message_, "Cannot load file: 'nothing.mbx'\n");
  writeBook("d", {5});
  ASSERT_EQ(remove("d.mbk"), 0);
  EXPECT_FALSE(book_->open("d", message_));
  EXPECT_STREQ(message_, "Cannot open file: 'd.mbk'\n");
  EXPECT_FALSE(book_->contains(5));
}

TEST_F(BookFiles, IndexPointingPastTheDataIsHarmless) {
  writeBook("p", {inBucket(1, 10), inBucket(1, 20), inBucket(1, 30), inBucket(4, 40)});
  // Cut the data to three records and a half: bucket 4 now points past it.
  std::string data = readWholeFile("p.mbk");
  writeTextFile("p.mbk", data.substr(0, 21));
  ASSERT_TRUE(book_->open("p", message_));
  EXPECT_EQ(book_->recordCount(), 3);
  EXPECT_TRUE(book_->contains(inBucket(1, 30)));
  EXPECT_FALSE(book_->contains(inBucket(4, 40)));
  // Every entry far beyond the file.
  std::string index(BookIndexBytes, '\0');
  for (int b = 0; b < BookBuckets; ++b) index[4 * b + 3] = '\x7F';
  writeTextFile("p.mbx", index);
  ASSERT_TRUE(book_->open("p", message_));
  // Bucket 0 now spans the whole file, every later bucket starts past its end.
  EXPECT_TRUE(book_->contains(inBucket(0, 20)));
  EXPECT_FALSE(book_->contains(inBucket(0, 25)));
  const uint64_t reads = book_->recordReads();
  EXPECT_FALSE(book_->contains(inBucket(1, 20)));
  EXPECT_FALSE(book_->contains(inBucket(LastBucket, 1)));
  EXPECT_EQ(book_->recordReads(), reads);
}

TEST_F(BookFiles, BaseNamesAreCutToTwentyCharacters) {
  writeBook("abcdefghijklmnopqrstuvwxyz", {42});
  EXPECT_TRUE(fileExists("abcdefghijklmnopqrst.mbx"));
  EXPECT_TRUE(fileExists("abcdefghijklmnopqrst.mbk"));
  ASSERT_TRUE(book_->open("abcdefghijklmnopqrst-other", message_));
  EXPECT_TRUE(book_->contains(42));
}

TEST_F(BookFiles, RewritingOverALongerBookKeepsOnlyTheNewKeys) {
  writeBook("r", {1, 2, 3, inBucket(9, 9), inBucket(10, 10)});
  writeBook("r", {inBucket(9, 8)});
  ASSERT_TRUE(book_->open("r", message_));
  EXPECT_TRUE(book_->contains(inBucket(9, 8)));
  for (uint64_t old : std::vector<uint64_t>{1, 2, 3, inBucket(9, 9), inBucket(10, 10)}) {
    EXPECT_FALSE(book_->contains(old)) << old;
  }
  // An index file of the wrong size is replaced by one of the right size.
  writeTextFile("r.mbx", std::string(BookIndexBytes + 100, '\x01'));
  writeBook("r", {7});
  EXPECT_EQ(readWholeFile("r.mbx").size(), static_cast<size_t>(BookIndexBytes));
  ASSERT_TRUE(book_->open("r", message_));
  EXPECT_TRUE(book_->contains(7));
}

TEST_F(BookFiles, CreateFailuresNameTheirFile) {
  EXPECT_FALSE(book_->create("no/dir/x", message_));
  EXPECT_STREQ(message_, "Cannot create index file: 'no/dir/x.mbx'\n");
  ASSERT_EQ(mkdir("y.mbk", 0755), 0);
  EXPECT_FALSE(book_->create("y", message_));
  EXPECT_STREQ(message_, "Cannot create file: 'y.mbk' (not a regular file)\n");
}

TEST_F(BookFiles, OpeningBookStopsAtAMissingBlackBook) {
  writeBook("bookwtm", {1});
  auto book = std::make_unique<OpeningBook>();
  EXPECT_FALSE(book->open());
  EXPECT_STREQ(book->message, "Cannot load file: 'bookbtm.mbx'\n");
  EXPECT_FALSE(book->contains(White, 1));  // never tried
  writeBook("bookbtm", {2});
  ASSERT_TRUE(book->open());
  EXPECT_TRUE(book->contains(Black, 2));
  EXPECT_TRUE(book->contains(White, 1));
  EXPECT_FALSE(book->contains(Black, 1));
}

}  // namespace
