#include "search/ordering_tables.h"

#include <cstring>

#include "core/position.h"
#include "search/move_order.h"

uint32_t HistoryTable[2][4096];
CutoffStatisticsTable CutoffStatistics;

namespace {
constexpr uint64_t CounterLimit = ~uint64_t{0};
}  // namespace

void recordCutoffStatistic(PieceCode piece, int to, bool cutoff) {
  uint64_t& tried = CutoffStatistics.tried[piece][to];
  uint64_t& cut = CutoffStatistics.cutoffs[piece][to];
  // Quartering every counter keeps the cutoff ratios while making room.
  if (tried == CounterLimit || (cutoff && cut == CounterLimit)) {
    for (int p = 0; p < 13; ++p) {
      for (int s = 0; s < 64; ++s) {
        CutoffStatistics.tried[p][s] >>= 2;
        CutoffStatistics.cutoffs[p][s] >>= 2;
      }
    }
  }
  ++tried;
  if (cutoff) ++cut;
}

void shiftKillers(PlyState& record, Move m) {
  if (record.killer1 == m) return;
  record.killer2 = record.killer1;
  record.killer1 = m;
}

void resetMoveOrderingTables() {
  std::memset(HistoryTable, 0, sizeof(HistoryTable));
  for (int p = 0; p < 13; ++p) {
    for (int s = 0; s < 64; ++s) {
      CutoffStatistics.tried[p][s] = 1;
      CutoffStatistics.cutoffs[p][s] = 1;
    }
  }
}

void clearKillers() {
  for (PlyState& record : PlyStack) {
    record.killer1 = 0;
    record.killer2 = 0;
  }
}

// Only moves that were neither illegal nor mated at once count as tried.
void recordCutoff(PlyState& record, MoveEntry* searched, MoveEntry* cutoffEntry, int depth) {
  const Move m = cutoffEntry->move;
  if (isQuietOrCastling(m)) shiftKillers(record, m);
  HistoryTable[Pos.side][m & MoveOrder::HistoryIndexMask] += static_cast<uint32_t>(depth * depth);
  for (MoveEntry* e = searched; e < cutoffEntry; ++e) {
    if (e->score > -MateBase)
      recordCutoffStatistic(Pos.board[moveFrom(e->move)], moveTo(e->move), false);
  }
  recordCutoffStatistic(Pos.board[moveFrom(m)], moveTo(m), true);
}
