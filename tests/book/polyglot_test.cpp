// The .bin book format: keys against the format's published values and an
// independent implementation, move encoding, entry bytes, reading by key.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "book/book_choice.h"
#include "book/opening_book.h"
#include "book/polyglot_book.h"
#include "book/polyglot_choice.h"
#include "book/polyglot_entry.h"
#include "book/polyglot_key.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "movegen/generators.h"
#include "support/test_support.h"

namespace {

TEST(PolyglotKey, PublishedCheckValues) {
  struct Case {
    const char* fen;
    uint64_t key;
  };
  const Case cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0x463b96181691fc9cULL},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 0x823c9b50fd114196ULL},
      {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", 0x0756b94461c50fb0ULL},
      {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", 0x662fafb965db29d4ULL},
      // The en-passant file counts: the e5 pawn stands beside f5.
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 0x22a48b5a8e47ff78ULL},
      // Rights gone after king moves.
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq - 0 3", 0x652a607ca3f242c1ULL},
      {"rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4", 0x00fdd303c946bdd9ULL},
      // Black to move with a pawn beside the double-stepped one.
      {"rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3", 0x3c8123ea7b067637ULL},
      {"rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq - 0 4", 0x5c3f9b829b279560ULL},
  };
  for (const Case& c : cases) {
    setUpPosition(c.fen);
    EXPECT_EQ(polyglotKey(Pos), c.key) << c.fen;
  }
}

// Plays a move given as coordinate text (python-chess writes castling as e1g1
// too); 0 when no generated move has that text.
Move moveFromText(const std::string& text) {
  MoveEntry moves[MaxMovesPerPosition];
  MoveEntry* end = MoveGenerators[Pos.side].all(moves);
  for (MoveEntry* entry = moves; entry != end; ++entry) {
    char buffer[8];
    moveToText(buffer, entry->move);
    if (text == buffer) return entry->move;
  }
  return 0;
}

// Every position of 56 engine games and of the perft suite (one move deep),
// reached by the engine's own moves and keyed by python-chess, used here only
// as an independent reference.
TEST(PolyglotKey, EqualsAnIndependentImplementationOnThousandsOfPositions) {
  SKIP_WITHOUT_SHARED_DATA("tools/python-chess/chess/polyglot.py");
  SKIP_WITHOUT_SHARED_DATA("data/pgn/real/TCEC_Season_1_-_Division_1.pgn");
  SKIP_WITHOUT_SHARED_DATA("data/perft/perftsuite.epd");
  const std::string library = sharedDataPath("tools/python-chess");
  const std::string command = "PYTHONPATH=" + library + " python3 " + VELTOR_SOURCE_DIR +
                              "/tests/book/polyglot_reference.py " +
                              sharedDataPath("data/pgn/real/TCEC_Season_1_-_Division_1.pgn") + " " +
                              sharedDataPath("data/perft/perftsuite.epd");
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string text;
  char chunk[4096];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;) text.append(chunk, got);
  ASSERT_EQ(pclose(pipe), 0) << command;

  std::istringstream lines(text);
  int compared = 0, enPassantCounted = 0;
  static PlyState records[2];
  std::string where;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string kind, what, keyText;
    ASSERT_TRUE(std::getline(fields, kind, '\t') && std::getline(fields, what, '\t') &&
                std::getline(fields, keyText))
        << line;
    const uint64_t expected = std::stoull(keyText, nullptr, 16);
    if (kind == "F") {
      setUpPosition(what.c_str());
      where = what;
      ASSERT_EQ(polyglotKey(Pos), expected) << where;
    } else {
      const Move move = moveFromText(what);
      ASSERT_NE(move, 0) << where << " " << what;
      PlyState& record = records[kind == "C"];
      savePlyState(record);
      makeMove(move, record);
      const uint64_t key = polyglotKey(Pos);
      EXPECT_EQ(key, expected) << where << " " << what;
      if (Pos.enPassant != 0) {
        Position& p = Pos;
        const uint8_t passed = p.enPassant;
        p.enPassant = 0;
        if (polyglotKey(p) != key) ++enPassantCounted;
        p.enPassant = passed;
      }
      if (kind == "C") {
        unmakeMove(move, record);
      } else {
        where += " " + what;
      }
    }
    ++compared;
  }
  EXPECT_GT(compared, 9000);
  EXPECT_GT(enPassantCounted, 10);  // the en-passant rule was exercised
}

TEST(PolyglotMove, SquaresPromotionsAndCastlingAsKingTakesRook) {
  // e2e4: from e2 (file 4, rank 1), to e4 (file 4, rank 3).
  EXPECT_EQ(toPolyglotMove(makeMoveValue(squareOf(4, 2), squareOf(4, 4), QuietMove)),
            4 << 6 | 1 << 9 | 4 | 3 << 3);
  EXPECT_EQ(toPolyglotMove(WhiteKingSideCastle), 4 << 6 | 0 << 9 | 7 | 0 << 3);   // e1h1
  EXPECT_EQ(toPolyglotMove(WhiteQueenSideCastle), 4 << 6 | 0 << 9 | 0 | 0 << 3);  // e1a1
  EXPECT_EQ(toPolyglotMove(BlackKingSideCastle), 4 << 6 | 7 << 9 | 7 | 7 << 3);   // e8h8
  EXPECT_EQ(toPolyglotMove(BlackQueenSideCastle), 4 << 6 | 7 << 9 | 0 | 7 << 3);  // e8a8
  const int b7 = squareOf(1, 7), a8 = squareOf(0, 8), b8 = squareOf(1, 8);
  const uint16_t b7b8 = 1 << 6 | 6 << 9 | 1 | 7 << 3, b7a8 = 1 << 6 | 6 << 9 | 0 | 7 << 3;
  EXPECT_EQ(toPolyglotMove(makeMoveValue(b7, b8, PromoteKnight)), b7b8 | 1 << 12);
  EXPECT_EQ(toPolyglotMove(makeMoveValue(b7, b8, PromoteBishop)), b7b8 | 2 << 12);
  EXPECT_EQ(toPolyglotMove(makeMoveValue(b7, a8, CapturePromoteRook)), b7a8 | 3 << 12);
  EXPECT_EQ(toPolyglotMove(makeMoveValue(b7, a8, CapturePromoteQueen)), b7a8 | 4 << 12);
  // Castling read back in either form; a king's plain step is not castling.
  EXPECT_TRUE(polyglotMoveMatches(4 << 6 | 7, WhiteKingSideCastle));
  EXPECT_TRUE(polyglotMoveMatches(4 << 6 | 6, WhiteKingSideCastle));
  EXPECT_FALSE(
      polyglotMoveMatches(4 << 6 | 7, makeMoveValue(squareOf(4, 1), squareOf(5, 1), QuietMove)));
  EXPECT_FALSE(polyglotMoveMatches(b7b8 | 4 << 12, makeMoveValue(b7, b8, PromoteKnight)));
}

class PolyglotFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(scratch_.enter("polyglot")); }
  void TearDown() override { scratch_.leave(); }
  ScratchDirectory scratch_;
};

TEST_F(PolyglotFiles, EntriesAreWrittenBigEndianSortedAndFoundByKey) {
  std::vector<PolyglotEntry> entries = {
      {0xFFFFFFFFFFFFFFFFULL, 0x0001, 7, 0}, {0x0102030405060708ULL, 0x0A0B, 0x0C0D, 0x0E0F1011},
      {0x0000000000000001ULL, 0x0002, 1, 0}, {0x5000000000000000ULL, 0x0003, 1, 0},
      {0x5000000000000000ULL, 0x0004, 9, 0}, {0x5000000000000000ULL, 0x0005, 4, 0},
  };
  char message[BookMessageBytes] = {};
  ASSERT_TRUE(writePolyglotBook("b.bin", entries, message)) << message;
  const std::string bytes = readWholeFile("b.bin");
  ASSERT_EQ(bytes.size(), 6u * PolyglotEntryBytes);
  EXPECT_EQ(bytes.substr(16, 16),
            std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11", 16));
  EXPECT_FALSE(access("b.bin.tmp", F_OK) == 0);

  // A torn tail is no entry.
  { std::ofstream("b.bin", std::ios::app | std::ios::binary) << "torn"; }
  PolyglotBook book;
  ASSERT_TRUE(book.open("b.bin", message)) << message;
  EXPECT_EQ(book.entryCount(), 6);
  PolyglotEntry found[PolyglotMaxEntriesPerKey];
  ASSERT_EQ(book.entriesOf(0x5000000000000000ULL, found, PolyglotMaxEntriesPerKey), 3);
  EXPECT_EQ(found[0].weight, 9);  // heaviest first
  EXPECT_EQ(found[2].weight, 1);
  EXPECT_EQ(book.entriesOf(0x5000000000000000ULL, found, 2), 2);
  ASSERT_EQ(book.entriesOf(1, found, PolyglotMaxEntriesPerKey), 1);      // first entry
  ASSERT_EQ(book.entriesOf(~0ULL, found, PolyglotMaxEntriesPerKey), 1);  // last entry
  EXPECT_EQ(found[0].move, 1);
  EXPECT_EQ(book.entriesOf(0, found, PolyglotMaxEntriesPerKey), 0);  // below all
  EXPECT_EQ(book.entriesOf(0x4FFFFFFFFFFFFFFFULL, found, PolyglotMaxEntriesPerKey), 0);
  EXPECT_EQ(book.entriesOf(0xFFFFFFFFFFFFFFFEULL, found, PolyglotMaxEntriesPerKey), 0);

  EXPECT_FALSE(book.open("missing.bin", message));
  EXPECT_STREQ(message, "Cannot open book file: 'missing.bin'\n");
  EXPECT_FALSE(book.open(".", message));
  EXPECT_EQ(book.entriesOf(1, found, PolyglotMaxEntriesPerKey), 0);
}

TEST_F(PolyglotFiles, AFailedWriteLeavesTheOldBookInPlace) {
  std::vector<PolyglotEntry> entries = {{1, 2, 3, 0}};
  char message[BookMessageBytes] = {};
  ASSERT_TRUE(writePolyglotBook("b.bin", entries, message)) << message;
  std::vector<PolyglotEntry> many(1000, PolyglotEntry{5, 6, 7, 0});
  {
    FileSizeLimit fullDisk(4096);
    EXPECT_FALSE(writePolyglotBook("b.bin", many, message));
  }
  EXPECT_STREQ(message, "Cannot write file: 'b.bin'\n");
  EXPECT_EQ(readWholeFile("b.bin").size(), 16u);
  EXPECT_EQ(directoryNames(), std::vector<std::string>{"b.bin"});
}

// A symbolic link is written through to the file it names (made if need
// be); a FIFO, directory or device is never replaced.
TEST_F(PolyglotFiles, WritesThroughLinksAndReplacesNothingButRegularFiles) {
  std::vector<PolyglotEntry> entries = {{1, 2, 3, 0}};
  char message[BookMessageBytes] = {};
  { std::ofstream("real.bin") << "old"; }
  ASSERT_EQ(symlink("real.bin", "link.bin"), 0);
  ASSERT_EQ(symlink("new.bin", "dangling.bin"), 0);
  for (const char* path : {"link.bin", "dangling.bin"}) {
    ASSERT_TRUE(writePolyglotBook(path, entries, message)) << message;
    struct stat status;
    ASSERT_EQ(lstat(path, &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode)) << path;
  }
  EXPECT_EQ(readWholeFile("real.bin").size(), 16u);
  EXPECT_EQ(readWholeFile("new.bin").size(), 16u);

  ASSERT_EQ(mkfifo("fifo.bin", 0644), 0);
  ASSERT_EQ(mkdir("dir.bin", 0755), 0);
  // A device node of our own where one can be made (as root), else a link to one.
  if (mknod("null.bin", S_IFCHR | 0666, makedev(1, 3)) != 0) {
    ASSERT_EQ(symlink("/dev/null", "null.bin"), 0);
  }
  for (const char* path : {"fifo.bin", "dir.bin", "null.bin"}) {
    EXPECT_FALSE(writePolyglotBook(path, entries, message));
    EXPECT_EQ(message, std::string("Cannot create file: '") + path + "' (not a regular file)\n");
  }
  struct stat status;
  ASSERT_EQ(stat("fifo.bin", &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  ASSERT_EQ(stat("dir.bin", &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  ASSERT_EQ(stat("null.bin", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
  EXPECT_EQ(directoryNames(),
            (std::vector<std::string>{"dangling.bin", "dir.bin", "fifo.bin", "link.bin", "new.bin",
                                      "null.bin", "real.bin"}));
}

TEST_F(PolyglotFiles, MovesAreChosenInProportionToTheirWeights) {
  setUpPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const Move e2e4 = makeMoveValue(squareOf(4, 2), squareOf(4, 4), QuietMove);
  const Move a2a3 = makeMoveValue(squareOf(0, 2), squareOf(0, 3), QuietMove);
  std::vector<PolyglotEntry> entries = {{polyglotKey(Pos), toPolyglotMove(e2e4), 3, 0},
                                        {polyglotKey(Pos), toPolyglotMove(a2a3), 1, 0}};
  char message[BookMessageBytes] = {};
  ASSERT_TRUE(writePolyglotBook("w.bin", entries, message)) << message;
  ASSERT_TRUE(usePolyglotBook("w.bin", message)) << message;
  int chosen[2] = {0, 0};
  for (uint32_t r = 0; r < 400; ++r) {
    const Move m = chooseBookMoveWith(r);
    ASSERT_TRUE(m == e2e4 || m == a2a3);
    ++chosen[m == a2a3];
  }
  EXPECT_EQ(chosen[0], 300);
  EXPECT_EQ(chosen[1], 100);
  // Elsewhere the book knows nothing, and without it nothing is chosen here.
  ASSERT_TRUE(usePolyglotBook("none", message));
  EXPECT_EQ(chooseBookMoveWith(0), 0);
}

}  // namespace
