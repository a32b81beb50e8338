#include "book/book_creation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "book/book_test_helpers.h"
#include "book/opening_book.h"
#include "book/opening_explorer.h"
#include "book/polyglot_export.h"
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

// Without usable databases nothing is written: the book in the directory
// (which an engine started there would open) stays as it was.
TEST_F(BookCreation, WithoutDatabasesTheOldBookStaysAndNothingIsCreated) {
  writeBook("bookbtm", {0x10});
  writeBook("bookwtm", {0x20});
  const std::vector<std::string> before = directoryNames();
  const std::string oldData = readWholeFile("bookbtm.mbk");
  const auto output = [](void (*run)()) {
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
  };
  const auto exportBook = [] { runPolyglotExport("x.bin"); };
  for (void (*run)() : {runBookCreate, runExplorer, +exportBook}) {
    EXPECT_EQ(output(run), "Cannot open file: black.db\n\n");
  }
  writeDatabaseFile("black.db", {statsRecord(0x10, 1, 0, 0, 3, false)});
  EXPECT_EQ(runCommand(), "Cannot open file: white.db\n\n");
  // Empty databases would give an empty book (and a score of 0/0).
  writeDatabaseFile("white.db", {});
  EXPECT_EQ(runCommand(), "No positions in database: white.db\n");
  EXPECT_EQ(output(exportBook), "No positions in database: white.db\n");
  std::vector<std::string> expected = before;
  expected.insert(expected.begin(), {"black.db"});
  expected.push_back("white.db");
  EXPECT_EQ(directoryNames(), expected);
  EXPECT_EQ(readWholeFile("bookbtm.mbk"), oldData);
}

TEST_F(BookCreation, AFailingBookKeepsTheWholeOldBook) {
  writeBook("bookbtm", {0x10});
  const std::string oldIndex = readWholeFile("bookbtm.mbx");
  writeDatabaseFile("black.db", {statsRecord(0x30, 1, 0, 0, 3, false)});
  writeDatabaseFile("white.db", {statsRecord(0x40, 0, 1, 0, 3)});
  ASSERT_EQ(mkdir("bookwtm.mbk", 0755), 0);
  EXPECT_EQ(runCommand(),
            "Generating bookbtm...\nbookbtm: 1.000000\n"
            "Generating bookwtm...\nCannot create file: 'bookwtm.mbk' (not a regular file)\n\n");
  EXPECT_EQ(readWholeFile("bookbtm.mbx"), oldIndex);
  EXPECT_EQ(readWholeFile("bookbtm.mbk").size(), 6u);
  auto book = std::make_unique<BookFile>();
  char message[BookMessageBytes];
  ASSERT_TRUE(book->open("bookbtm", message)) << message;
  EXPECT_TRUE(book->contains(0x10));
  EXPECT_EQ(directoryNames(), (std::vector<std::string>{"black.db", "bookbtm.mbk", "bookbtm.mbx",
                                                        "bookwtm.mbk", "white.db"}));
}

TEST_F(BookCreation, UnopenableDatabaseStopsTheCommand) {
  ASSERT_EQ(symlink("no/such/file", "black.db"), 0);
  EXPECT_EQ(runCommand(), "Cannot open file: black.db\n\n");
  EXPECT_FALSE(fileExists("bookbtm.mbx"));
  EXPECT_FALSE(fileExists("white.db"));
}

TEST_F(BookCreation, FailedBookWriteIsReported) {
  std::vector<PositionRecord> records;
  for (uint64_t key = 1; key <= 1000; ++key) records.push_back(statsRecord(key, 1, 0, 0, 3, false));
  writeDatabaseFile("black.db", records);
  writeTextFile("full.mbk", "old");
  PositionDatabase db;
  char message[BookMessageBytes] = {};
  ASSERT_TRUE(db.open("black.db", message));
  testing::internal::CaptureStdout();
  {
    // 6000 bytes of records do not fit, nor does the index.
    FileSizeLimit fullDisk(4096);
    EXPECT_FALSE(buildBook("full", db, Black, message));
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_STREQ(message, "Cannot write file: 'full.mbk'\n");
  records.resize(1);
  writeDatabaseFile("black.db", records);
  ASSERT_TRUE(db.open("black.db", message));
  {
    FileSizeLimit fullDisk(4096);
    EXPECT_FALSE(buildBook("full", db, Black, message));
  }
  EXPECT_STREQ(message, "Cannot write index file: 'full.mbx'\n");
  EXPECT_EQ(readWholeFile("full.mbk"), "old");
  EXPECT_EQ(directoryNames(), (std::vector<std::string>{"black.db", "full.mbk"}));
}

}  // namespace
