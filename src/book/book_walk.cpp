#include "book/book_walk.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "book/book_creation.h"
#include "book/opening_book.h"
#include "core/make_move.h"
#include "core/move_list.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "db/position_database.h"
#include "db/position_record.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

namespace {

constexpr const char* InitialPosition = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr double PercentPerUnit = 100.0;
// The walk goes no deeper than the plies a book position may have.
constexpr int WalkMaxDepth = BookMaxPly;

using RecordsByKey = std::unordered_map<uint64_t, PositionRecord>;

uint64_t gamesOf(const PositionRecord& r) { return uint64_t{r.whiteWins} + r.blackWins + r.draws; }

// The records of one database with at least `minGames` games.
bool loadRecords(PositionDatabase& db, uint32_t minGames, RecordsByKey& out) {
  if (!db.rewind()) return db.recordCount() == 0;
  while (const PositionRecord* record = db.next()) {
    if (gamesOf(*record) >= minGames) out[record->key] = *record;
  }
  return !db.readFailed();
}

class Walk {
 public:
  Walk(RecordsByKey* records, const BookThresholds& thresholds)
      : records_(records), thresholds_(thresholds) {}

  // The position on the board, reached by enough games, has `games` games.
  void expand(int depth, uint64_t games) {
    CheckInfo info;
    computeCheckInfo(info);
    MoveEntry* const moves = lists_[depth];
    const MoveEntry* const end = generateMoves(moves, info);
    PlyState& record = plyStates_[depth];
    const double needed = thresholds_.minShare * static_cast<double>(games);
    for (const MoveEntry* e = moves; e < end; ++e) {
      if (!leavesKingSafe(e->move)) continue;
      savePlyState(record);
      makeMove(e->move, record);
      const Side side = Pos.side;
      const auto found = records_[side].find(Pos.key);
      if (found != records_[side].end() && static_cast<double>(gamesOf(found->second)) >= needed) {
        if (takenIntoBook(found->second, side)) books_[side].insert(Pos.key);
        if (depth + 1 < WalkMaxDepth && visited_[side].insert(Pos.key).second) {
          expand(depth + 1, gamesOf(found->second));
        }
      }
      unmakeMove(e->move, record);
    }
  }

  std::vector<uint64_t> sortedKeys(Side side) const {
    std::vector<uint64_t> keys(books_[side].begin(), books_[side].end());
    std::sort(keys.begin(), keys.end());
    return keys;
  }

 private:
  RecordsByKey* records_;
  BookThresholds thresholds_;
  std::unordered_set<uint64_t> visited_[2];
  std::unordered_set<uint64_t> books_[2];
  MoveEntry lists_[WalkMaxDepth][MaxMovesPerPosition];
  PlyState plyStates_[WalkMaxDepth];
};

// One book's keys into its temporary files; false with the message on failure.
bool writeBook(BookFile& book, const char* name, const std::vector<uint64_t>& keys, char* message) {
  if (!book.create(name, message)) return false;
  bool writing = true;
  for (size_t i = 0; i < keys.size() && writing; ++i) writing = book.append(keys[i]);
  return book.finishWriting(message);
}

}  // namespace

bool readBookThresholds(const char* text, BookThresholds& thresholds, char* message) {
  const char* p = text;
  char* end = nullptr;
  errno = 0;
  const long long games = std::strtoll(p, &end, 10);
  if (end == p || games < 1 || games > UINT32_MAX || errno != 0) {
    std::snprintf(message, BookMessageBytes,
                  "bookcreate: the games a position needs must be a whole number from 1 to %u\n",
                  UINT32_MAX);
    return false;
  }
  thresholds.minGames = static_cast<uint32_t>(games);
  thresholds.minShare = 0;
  p = end;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != '\0' && *p != '\n' && *p != '\r') {
    const double percent = std::strtod(p, &end);
    if (end == p || !(percent >= 0 && percent <= PercentPerUnit)) {
      std::snprintf(message, BookMessageBytes,
                    "bookcreate: the share of the games before must be a percentage from 0 to "
                    "100\n");
      return false;
    }
    thresholds.minShare = percent / PercentPerUnit;
    p = end;
  }
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
  if (*p != '\0') {
    std::snprintf(message, BookMessageBytes, "bookcreate: too many words: %.100s\n", p);
    return false;
  }
  return true;
}

bool createBooksByWalk(DatabasePair& pair, const BookThresholds& thresholds) {
  static constexpr const char* Names[2] = {"bookbtm", "bookwtm"};
  RecordsByKey records[2];
  for (Side side : {Black, White}) {
    if (!loadRecords(pair.databases[side], thresholds.minGames, records[side])) {
      std::printf("Cannot read the database of %s to move\n", side == White ? "White" : "Black");
      return false;
    }
  }
  auto walk = std::make_unique<Walk>(records, thresholds);
  static Position saved;
  saved = Pos;
  if (readFen(InitialPosition)) {
    const auto start = records[White].find(Pos.key);
    if (start != records[White].end()) walk->expand(0, gamesOf(start->second));
  }
  Pos = saved;
  // Written apart from the book the engine plays with; both books are put
  // in place only when both are written, so a failure leaves the old book.
  auto writer = std::make_unique<OpeningBook>();
  for (Side side : {Black, White}) {
    std::printf("Generating %s...\n", Names[side]);
    const std::vector<uint64_t> keys = walk->sortedKeys(side);
    if (!writeBook(writer->books[side], Names[side], keys, writer->message)) {
      std::printf("%s\n", writer->message);
      return false;
    }
    std::printf("%s: %zu positions\n", Names[side], keys.size());
  }
  for (Side side : {Black, White}) {
    if (!writer->books[side].commit(writer->message)) {
      std::printf("%s\n", writer->message);
      return false;
    }
  }
  return true;
}

void runBookCreateCommand(const char* arguments) {
  const char* p = arguments;
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
  if (*p == '\0') {
    runBookCreate();
    return;
  }
  BookThresholds thresholds;
  char message[BookMessageBytes] = {};
  if (!readBookThresholds(p, thresholds, message)) {
    std::printf("%s", message);
    return;
  }
  DatabasePair pair;
  if (!pair.open("white.db", "black.db")) {
    std::printf("%s\n", pair.message);
    return;
  }
  for (auto [side, path] : {std::pair{Black, "black.db"}, std::pair{White, "white.db"}}) {
    if (pair.databases[side].recordCount() <= 0) {
      std::printf("No positions in database: %s\n", path);
      return;
    }
  }
  std::printf("positions of at least %u games and %g%% of the games before them\n",
              thresholds.minGames, thresholds.minShare * PercentPerUnit);
  if (createBooksByWalk(pair, thresholds)) std::printf("created.\n");
}
