#include "book/polyglot_export.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "book/opening_book.h"
#include "book/polyglot_book.h"
#include "book/polyglot_key.h"
#include "core/make_move.h"
#include "core/move_list.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "db/position_database.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

namespace {

constexpr const char* InitialPosition = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr uint32_t MaxWeight = 0xFFFF;

struct Counts {
  uint32_t whiteWins, blackWins, draws;
};
using CountsByKey = std::unordered_map<uint64_t, Counts>;

// The records of one database that enough games passed through.
bool loadCounts(PositionDatabase& db, CountsByKey& out, uint32_t minGames) {
  if (!db.rewind()) return db.recordCount() == 0;
  while (const PositionRecord* record = db.next()) {
    const uint64_t games = uint64_t{record->whiteWins} + record->blackWins + record->draws;
    if (games >= minGames) out[record->key] = {record->whiteWins, record->blackWins, record->draws};
  }
  return !db.readFailed();
}

class Walk {
 public:
  Walk(CountsByKey* counts, std::vector<PolyglotEntry>& entries)
      : counts_(counts), entries_(entries) {}

  void expand(int depth, PolyglotExportSummary& summary) {
    const uint64_t bookKey = polyglotKey(Pos);
    const Side mover = static_cast<Side>(Pos.side);
    CheckInfo info;
    computeCheckInfo(info);
    MoveEntry* moves = lists_[depth];
    const MoveEntry* end = generateMoves(moves, info);
    PlyState& record = records_[depth];
    Move scoredMoves[MaxMovesPerPosition];
    uint64_t points[MaxMovesPerPosition];
    int count = 0;
    uint64_t most = 0;
    for (const MoveEntry* e = moves; e < end; ++e) {
      if (!leavesKingSafe(e->move)) continue;
      savePlyState(record);
      makeMove(e->move, record);
      const auto found = counts_[Pos.side].find(Pos.key);
      if (found != counts_[Pos.side].end()) {
        const Counts& c = found->second;
        const uint64_t scored = 2 * uint64_t{mover == White ? c.whiteWins : c.blackWins} + c.draws;
        // Only positions the book's own moves reach are walked on.
        if (scored > 0) {
          scoredMoves[count] = e->move;
          points[count++] = scored;
          most = std::max(most, scored);
          if (depth + 1 < PolyglotExportMaxDepth && visited_.insert(Pos.key).second) {
            expand(depth + 1, summary);
          }
        }
      }
      unmakeMove(e->move, record);
    }
    // Weights keep their proportions within 16 bits; no move that scored drops to 0.
    for (int i = 0; i < count; ++i) {
      const uint64_t weight =
          most <= MaxWeight ? points[i] : std::max<uint64_t>(1, points[i] * MaxWeight / most);
      entries_.push_back(
          {bookKey, toPolyglotMove(scoredMoves[i]), static_cast<uint16_t>(weight), 0});
    }
    if (count > 0) ++summary.positions;
  }

  std::unordered_set<uint64_t>& visited() { return visited_; }

 private:
  CountsByKey* counts_;
  std::vector<PolyglotEntry>& entries_;
  std::unordered_set<uint64_t> visited_;
  MoveEntry lists_[PolyglotExportMaxDepth][MaxMovesPerPosition];
  PlyState records_[PolyglotExportMaxDepth];
};

}  // namespace

bool exportPolyglotBook(DatabasePair& pair, const char* path, PolyglotExportSummary& summary,
                        char* message, uint32_t minGames) {
  summary = {};
  CountsByKey counts[2];
  for (Side side : {Black, White}) {
    if (!loadCounts(pair.databases[side], counts[side], minGames)) {
      snprintf(message, BookMessageBytes, "Cannot read the database of %s to move\n",
               side == White ? "White" : "Black");
      return false;
    }
  }
  std::vector<PolyglotEntry> entries;
  // The walk's move lists and records are large: kept off the stack.
  auto walk = std::make_unique<Walk>(counts, entries);
  static Position saved;
  saved = Pos;
  if (!readFen(InitialPosition)) return false;
  walk->visited().insert(Pos.key);
  walk->expand(0, summary);
  Pos = saved;
  summary.entries = static_cast<int64_t>(entries.size());
  return writePolyglotBook(path, entries, message);
}

void runPolyglotExport(const char* path, uint32_t minGames) {
  DatabasePair pair;
  if (!pair.open("white.db", "black.db")) {
    printf("%s\n", pair.message);
    return;
  }
  for (auto [side, name] : {std::pair{Black, "black.db"}, std::pair{White, "white.db"}}) {
    if (pair.databases[side].recordCount() <= 0) {
      printf("No positions in database: %s\n", name);
      return;
    }
  }
  PolyglotExportSummary summary;
  char message[BookMessageBytes] = {};
  if (!exportPolyglotBook(pair, path, summary, message, minGames)) {
    printf("%s", message);
    return;
  }
  printf("%s: %lld moves from %lld positions.\n", path, static_cast<long long>(summary.entries),
         static_cast<long long>(summary.positions));
}
