#include "search/draw.h"

#include "core/key_table.h"
#include "core/position.h"
#include "movegen/legal_moves.h"

namespace {

bool insufficientMaterial() {
  return Pos.totalMaterial < InsufficientMaterialUnits && Pos.pawnCount[0] + Pos.pawnCount[1] == 0;
}

// Occurrences of `key` among the entries 4, 6, 8, ... plies below `top`, back
// to the last irreversible move (`reversible` plies below `top`) and never
// below the first entry of the history; stops counting at `limit`.
int earlierOccurrences(const HistoryEntry* top, uint64_t key, int reversible, int limit) {
  int found = 0;
  const HistoryEntry* const first = Pos.history;
  for (int back = RepetitionMinimumCount; back <= reversible; back += 2) {
    if (top - first < back) break;
    if ((top - back)->key == key && ++found >= limit) break;
  }
  return found;
}

}  // namespace

Move drawCheck(int n) {
  if (insufficientMaterial()) return InsufficientMaterial;
  const HistoryEntry* top = Pos.historyTop;
  const int reversible = top->reversible;
  if (reversible < RepetitionMinimumCount) return 0;
  // Mate on the hundredth reversible ply still wins: the rule draws only a
  // position with a legal move (or stalemate, a draw anyway).
  if (reversible >= FiftyMoveCount) {
    return firstLegalMove() == 0 ? (sideToMoveInCheck() ? 0 : Stalemated) : FiftyMoveDraw;
  }
  if (earlierOccurrences(top, Pos.key, reversible, n) >= n) return RepetitionDraw;
  return 0;
}

int repetitionAfter(Move m) {
  if (moveType(m) != QuietMove) return 0;
  const int from = moveFrom(m);
  const PieceCode piece = Pos.board[from];
  if (piece == Empty || piece == WhitePawn || piece == BlackPawn) return 0;
  // The trial entry sits one above the top; it is never written, only looked
  // at from, so the history stays untouched.
  const int count = Pos.historyTop->reversible + 1;
  if (count < RepetitionMinimumCount) return 0;
  if (count >= FiftyMoveCount) return 2;
  if (count >= FiftyMoveRiskCount) return 1;
  const uint64_t key = Pos.key ^ KeyTable[piece][from] ^ KeyTable[piece][moveTo(m)];
  // Entry k plies below the trial entry is k - 1 plies below the top.
  int found = 0;
  const HistoryEntry* const first = Pos.history;
  const HistoryEntry* top = Pos.historyTop;
  for (int back = RepetitionMinimumCount; back <= count; back += 2) {
    if (top - first < back - 1) break;
    if ((top - (back - 1))->key == key && ++found >= 2) break;
  }
  return found;
}
