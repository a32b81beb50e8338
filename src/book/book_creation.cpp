#include "book/book_creation.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "book/opening_book.h"
#include "db/position_database.h"

bool takenIntoBook(const PositionRecord& record, Side side) {
  // A position without games has no score.
  if (record.whiteWins == 0 && record.blackWins == 0 && record.draws == 0) return false;
  const int ply = plyOf(record);
  if (ply > BookMaxPly) return false;
  const double score = whiteScore(record);
  // Black to move: White's move led here, so it must have gone well for White.
  if (side == Black) return score >= BlackBookMinScore;
  // White to move: Black's move held White down; a wider margin only early on.
  return score <= WhiteBookMaxScore && (score <= WhiteBookLateMaxScore || ply <= WhiteBookEarlyPly);
}

bool buildBook(BookFile& book, const char* baseName, PositionDatabase& db, Side side,
               char* message) {
  // 1. Fresh book files.
  if (!book.create(baseName, message)) return false;
  // 2. From the first record, totals at zero.
  double whiteWins = 0, blackWins = 0, draws = 0;
  const bool rewound = db.rewind();
  // 3. Every record counts in the totals; the sorted database yields the
  //    book's keys in ascending order. A failed write ends the walk.
  bool writing = rewound;
  while (writing) {
    const PositionRecord* record = db.next();
    if (!record) break;
    whiteWins += record->whiteWins;
    blackWins += record->blackWins;
    draws += record->draws;
    if (takenIntoBook(*record, side)) writing = book.append(record->key);
  }
  // 4. Index written (or the failed data write reported) and files closed.
  if (!book.finishWriting(message)) return false;
  if (!rewound || db.readFailed()) {
    snprintf(message, BookMessageBytes, "Cannot read the database for '%s'\n", baseName);
    book.close();
    return false;
  }
  // 5. White's overall score in the database.
  printf("%s: %f\n", baseName, (whiteWins + draws / 2) / (whiteWins + blackWins + draws));
  return true;
}

bool buildBook(const char* baseName, PositionDatabase& db, Side side, char* message) {
  auto book = std::make_unique<BookFile>();
  return buildBook(*book, baseName, db, side, message) && book->commit(message);
}

bool createBooks(DatabasePair& pair) {
  // Written apart from the book the engine plays with, which stays as opened.
  auto writer = std::make_unique<OpeningBook>();
  static constexpr const char* Names[2] = {"bookbtm", "bookwtm"};
  // Both books are put in place only when both are written: a failure
  // leaves the whole old book.
  for (Side side : {Black, White}) {
    printf("Generating %s...\n", Names[side]);
    if (!buildBook(writer->books[side], Names[side], pair.databases[side], side, writer->message)) {
      printf("%s\n", writer->message);
      return false;
    }
  }
  for (Side side : {Black, White}) {
    if (!writer->books[side].commit(writer->message)) {
      printf("%s\n", writer->message);
      return false;
    }
  }
  return true;
}

void runBookCreate() {
  DatabasePair pair;
  if (!pair.open("white.db", "black.db")) {
    printf("%s\n", pair.message);
    return;
  }
  // A database without records would give an empty book, which the engine
  // would then open in place of the default one.
  for (auto [side, path] : {std::pair{Black, "black.db"}, std::pair{White, "white.db"}}) {
    if (pair.databases[side].recordCount() <= 0) {
      printf("No positions in database: %s\n", path);
      return;
    }
  }
  if (createBooks(pair)) printf("created.\n");
}
