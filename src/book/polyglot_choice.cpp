#include "book/polyglot_choice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "book/polyglot_key.h"
#include "core/log.h"
#include "core/move_list.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

namespace {

PolyglotBook InUse;

}  // namespace

bool usePolyglotBook(const char* path, char* message) {
  InUse.close();
  if (path == nullptr || path[0] == '\0' || std::strcmp(path, "none") == 0) {
    EngineLog << "-M: book file: none" << std::endl;
    return true;
  }
  if (!InUse.open(path, message)) {
    EngineLog << "-M: book file not opened: " << message << std::flush;
    return false;
  }
  EngineLog << "-M: book opened: " << path << " (" << InUse.entryCount() << " entries)"
            << std::endl;
  return true;
}

const PolyglotBook& polyglotBookInUse() { return InUse; }

int polyglotCandidates(Move* moves, uint32_t* weights) {
  return polyglotCandidates(InUse, moves, weights);
}

Move choosePolyglotMove(uint32_t r) { return choosePolyglotMove(InUse, r); }

int polyglotCandidates(const PolyglotBook& book, Move* moves, uint32_t* weights) {
  if (!book.isOpen() || !positionIsSetUp()) return 0;
  static PolyglotEntry entries[PolyglotMaxEntriesPerKey];
  const int found = book.entriesOf(polyglotKey(Pos), entries, PolyglotMaxEntriesPerKey);
  if (found == 0) return 0;
  CheckInfo info;
  computeCheckInfo(info);
  MoveEntry generated[MaxMovesPerPosition];
  const MoveEntry* end = generateMoves(generated, info);
  int count = 0;
  for (int i = 0; i < found; ++i) {
    if (entries[i].weight == 0) continue;
    for (const MoveEntry* e = generated; e < end; ++e) {
      if (!polyglotMoveMatches(entries[i].move, e->move) || !leavesKingSafe(e->move)) continue;
      // The same move twice (both castling forms) counts once.
      bool seen = false;
      for (int k = 0; k < count; ++k) seen = seen || moves[k] == e->move;
      if (!seen) {
        moves[count] = e->move;
        weights[count] = entries[i].weight;
        ++count;
      }
      break;
    }
  }
  return count;
}

Move choosePolyglotMove(const PolyglotBook& book, uint32_t r, uint32_t minimumShare) {
  Move moves[PolyglotMaxEntriesPerKey];
  uint32_t weights[PolyglotMaxEntriesPerKey];
  const int count = polyglotCandidates(book, moves, weights);
  if (minimumShare > 0) {
    uint32_t heaviest = 0;
    for (int i = 0; i < count; ++i) heaviest = std::max(heaviest, weights[i]);
    for (int i = 0; i < count; ++i) {
      if (static_cast<uint64_t>(weights[i]) * minimumShare < heaviest) weights[i] = 0;
    }
  }
  uint64_t total = 0;
  for (int i = 0; i < count; ++i) total += weights[i];
  if (total == 0) return 0;
  uint64_t pick = r % total;
  for (int i = 0; i < count; ++i) {
    if (pick < weights[i]) return moves[i];
    pick -= weights[i];
  }
  return 0;
}
