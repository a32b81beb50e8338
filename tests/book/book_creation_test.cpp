#include "book/book_creation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "book/opening_book.h"
#include "db/db_test_helpers.h"
#include "db/position_database.h"

namespace {

TEST(BookSelection, BlackToMoveNeedsAGoodScoreForWhite) {
  EXPECT_TRUE(takenIntoBook(statsRecord(1, 107, 93, 0, 20, false), Black));   // 0.535
  EXPECT_FALSE(takenIntoBook(statsRecord(1, 106, 94, 0, 20, false), Black));  // 0.53
  EXPECT_TRUE(takenIntoBook(statsRecord(1, 1, 0, 0, 63, false), Black));
  EXPECT_FALSE(takenIntoBook(statsRecord(1, 1, 0, 0, 64, false), Black));
  EXPECT_FALSE(takenIntoBook(statsRecord(1, 1, 0, 0, 127, false), Black));
  EXPECT_FALSE(takenIntoBook(statsRecord(1, 0, 0, 0, 1, false), Black));
}

TEST(BookSelection, WhiteToMoveHoldsWhiteDownWithAnEarlyMargin) {
  EXPECT_TRUE(takenIntoBook(statsRecord(1, 54, 46, 0, 11), White));   // 0.54 early
  EXPECT_FALSE(takenIntoBook(statsRecord(1, 54, 46, 0, 12), White));  // 0.54 late
  EXPECT_TRUE(takenIntoBook(statsRecord(1, 52, 48, 0, 40), White));   // 0.52 itself
  EXPECT_TRUE(takenIntoBook(statsRecord(1, 554, 446, 0, 2), White));  // 0.554 itself
  EXPECT_FALSE(takenIntoBook(statsRecord(1, 555, 445, 0, 2), White));
  EXPECT_TRUE(takenIntoBook(statsRecord(1, 0, 3, 1, 30), White));
  EXPECT_FALSE(takenIntoBook(statsRecord(1, 0, 5, 0, 64), White));
  EXPECT_FALSE(takenIntoBook(statsRecord(1, 0, 0, 0, 1), White));
  // Draws count half.
  EXPECT_TRUE(takenIntoBook(statsRecord(1, 0, 0, 4, 30), White));  // 0.5
}

class BookCreation : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.entered()); }
  std::string runCommand() {
    testing::internal::CaptureStdout();
    runBookCreate();
    return testing::internal::GetCapturedStdout();
  }
  ScopedWorkingDirectory dir_{"bookcreate"};
};

TEST_F(BookCreation, BooksHoldTheTakenKeysAndTotalsCountEveryRecord) {
  writeDatabaseFile(
      "black.db", {statsRecord(0x10, 107, 93, 0, 5, false), statsRecord(0x20, 106, 94, 0, 5, false),
                   statsRecord(0x8000000000000030ull, 3, 0, 1, 64, false),
                   statsRecord(0xFFFF800000000040ull, 2, 1, 0, 9, false)});
  writeDatabaseFile("white.db",
                    {statsRecord(0x10, 54, 46, 0, 11), statsRecord(0x11, 54, 46, 0, 12)});
  const std::string out = runCommand();
  // Black totals: W 218, B 188, D 1 -> (218 + 0.5) / 407.
  EXPECT_EQ(out,
            "Generating bookbtm...\nbookbtm: 0.536855\n"
            "Generating bookwtm...\nbookwtm: 0.540000\ncreated.\n");
  auto book = std::make_unique<OpeningBook>();
  ASSERT_TRUE(book->open()) << book->message;
  EXPECT_EQ(book->books[Black].recordCount(), 2);
  EXPECT_TRUE(book->contains(Black, 0x10));
  EXPECT_FALSE(book->contains(Black, 0x20));
  EXPECT_FALSE(book->contains(Black, 0x8000000000000030ull));
  EXPECT_TRUE(book->contains(Black, 0xFFFF800000000040ull));
  EXPECT_EQ(book->books[White].recordCount(), 1);
  EXPECT_TRUE(book->contains(White, 0x10));
  EXPECT_FALSE(book->contains(White, 0x11));
}

TEST_F(BookCreation, MissingDatabasesGiveEmptyBooks) {
  const std::string out = runCommand();
  EXPECT_TRUE(fileExists("black.db"));
  EXPECT_TRUE(fileExists("white.db"));
  EXPECT_EQ(out.rfind("Generating bookbtm...\n", 0), 0u) << out;
  EXPECT_NE(out.find("Generating bookwtm...\n"), std::string::npos);
  EXPECT_EQ(out.substr(out.size() - 9), "created.\n");
  auto book = std::make_unique<OpeningBook>();
  ASSERT_TRUE(book->open()) << book->message;
  EXPECT_EQ(book->books[Black].recordCount(), 0);
  EXPECT_EQ(book->books[White].recordCount(), 0);
  EXPECT_EQ(readWholeFile("bookbtm.mbx"), std::string(BookIndexBytes, '\0'));
}

TEST_F(BookCreation, OneBookFailingDoesNotStopTheOther) {
  writeDatabaseFile("white.db", {statsRecord(0x10, 0, 1, 0, 3)});
  ASSERT_EQ(mkdir("bookbtm.mbk", 0755), 0);
  const std::string out = runCommand();
  EXPECT_EQ(out,
            "Generating bookbtm...\nCannot create file: 'bookbtm.mbk'\n\n"
            "Generating bookwtm...\nbookwtm: 0.000000\ncreated.\n");
  auto book = std::make_unique<BookFile>();
  char message[BookMessageBytes];
  ASSERT_TRUE(book->open("bookwtm", message));
  EXPECT_TRUE(book->contains(0x10));
}

TEST_F(BookCreation, UnopenableDatabaseStopsTheCommand) {
  ASSERT_EQ(symlink("no/such/file", "black.db"), 0);
  EXPECT_EQ(runCommand(), "Cannot open file: black.db\n\n");
  EXPECT_FALSE(fileExists("bookbtm.mbx"));
  EXPECT_FALSE(fileExists("white.db"));
}

TEST_F(BookCreation, FailedBookWriteIsReported) {
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  writeDatabaseFile("black.db", {statsRecord(0x10, 1, 0, 0, 3, false)});
  PositionDatabase db;
  char message[BookMessageBytes] = {};
  ASSERT_TRUE(db.open("black.db", message));
  // The new data file is written under a temporary name, then renamed.
  ASSERT_EQ(symlink("/dev/full", "full.mbk.tmp"), 0);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(buildBook("full", db, Black, message));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_STREQ(message, "Cannot write file: 'full.mbk'\n");
}

}  // namespace
