// Move-ordering state that outlives a node: the history of quiet cutoffs,
// the cutoff statistics that steer reductions, and the killers.
#pragma once

#include <cstdint>

#include "core/move_list.h"
#include "core/ply_state.h"
#include "core/types.h"

// Quiet-move cutoff counters, [side][from * 64 + to].
extern uint32_t HistoryTable[2][4096];
// Per moving piece code and destination: cutoffs caused and times tried.
struct CutoffStatisticsTable {
  uint64_t cutoffs[13][64];
  uint64_t tried[13][64];
};
extern CutoffStatisticsTable CutoffStatistics;
// Adds one "tried" (and one "cutoff" when `cutoff`) for a move of `piece` to `to`,
// quartering every counter first when a tried count is about to overflow.
void recordCutoffStatistic(PieceCode piece, int to, bool cutoff);
// Makes `m` killer 1 (the old killer 1 becomes killer 2) unless it already is.
void shiftKillers(PlyState& record, Move m);

// Zeroes the history and sets every cutoff statistic to 1.
void resetMoveOrderingTables();
// Sets both killers of every PlyState record to 0.
void clearKillers();

// Beta-cutoff bookkeeping of `cutoffEntry`: killers, history and the cutoff
// statistics of it and of the moves searched before it in [searched, cutoffEntry).
void recordCutoff(PlyState& record, MoveEntry* searched, MoveEntry* cutoffEntry, int depth);
