#include "protocol/analysis_lines.h"

#include <cstdint>
#include <cstring>

#include "core/move_list.h"
#include "core/move_text.h"
#include "core/position.h"
#include "game/game.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"
#include "search/search_control.h"

int AnalysisLines = 1;

namespace {

Move Excluded[MaxMovesPerPosition];
int ExcludedCount = 0;
// The position the set belongs to.
uint32_t SetGame = 0;
uint64_t SetKey = 0;
Side SetSide = White;
// The filter handed to the search.
Move Allowed[MaxMovesPerPosition];

// The legal moves of the game position; returns their count.
int legalMoves(Move* out) {
  MoveEntry list[MaxMovesPerPosition];
  CheckInfo info;
  computeCheckInfo(info);
  MoveEntry* const end = generateMoves(list, info);
  int count = 0;
  for (MoveEntry* e = list; e < end; ++e) {
    if (leavesKingSafe(e->move)) out[count++] = e->move;
  }
  return count;
}

bool isExcluded(Move m) {
  for (int i = 0; i < ExcludedCount; ++i) {
    if (Excluded[i] == m) return true;
  }
  return false;
}

// A set made for another position is dropped.
void forgetOtherPositions() {
  if (SetGame != gameChangeCount() || SetKey != Pos.key || SetSide != Pos.side) {
    ExcludedCount = 0;
    SetGame = gameChangeCount();
    SetKey = Pos.key;
    SetSide = Pos.side;
  }
}

// The legal move the text names, or 0.
Move legalMoveNamed(const char* text) {
  const Move m = textToMove(text);
  return m != 0 && isLegalMove(m) ? m : 0;
}

}  // namespace

bool excludeRootMoves(const char* text) {
  if (!positionIsSetUp()) return false;
  forgetOtherPositions();
  if (std::strcmp(text, "all") == 0) {
    ExcludedCount = legalMoves(Excluded);
    return true;
  }
  const Move m = legalMoveNamed(text);
  if (m == 0) return false;
  if (!isExcluded(m)) Excluded[ExcludedCount++] = m;
  return true;
}

bool includeRootMoves(const char* text) {
  if (!positionIsSetUp()) return false;
  forgetOtherPositions();
  if (std::strcmp(text, "all") == 0) {
    ExcludedCount = 0;
    return true;
  }
  const Move m = legalMoveNamed(text);
  if (m == 0) return false;
  int kept = 0;
  for (int i = 0; i < ExcludedCount; ++i) {
    if (Excluded[i] != m) Excluded[kept++] = Excluded[i];
  }
  ExcludedCount = kept;
  return true;
}

bool applyRootExclusions() {
  setRootMoveFilter(nullptr, 0);
  forgetOtherPositions();
  if (ExcludedCount == 0) return true;
  Move legal[MaxMovesPerPosition];
  const int count = legalMoves(legal);
  int allowed = 0;
  for (int i = 0; i < count; ++i) {
    if (!isExcluded(legal[i])) Allowed[allowed++] = legal[i];
  }
  // No legal move at all: the search reports the mate or stalemate.
  if (allowed == 0 && count > 0) return false;
  if (allowed > 0) setRootMoveFilter(Allowed, allowed);
  return true;
}
