// Transposition table (one per side to move) and move-ordering tables.
#pragma once

#include <cstdint>

#include "core/ply_state.h"
#include "core/types.h"

// 12-byte slot: word0 = key low half bits 16-31 | move, word1 = key high half,
// word2 = (score + 8190) << 18 | (age % 512) << 9 | bound << 7 | depth.
struct HashEntry {
  uint32_t word0;
  uint32_t word1;
  uint32_t word2;

  Move move() const { return static_cast<Move>(word0 & 0xFFFF); }
  int depth() const { return word2 & 127; }
  int bound() const { return (word2 >> 7) & 3; }
  int age() const { return (word2 >> 9) & 511; }
  int16_t score() const { return static_cast<int16_t>(static_cast<int>(word2 >> 18) - 8190); }
};
struct HashBucket {
  HashEntry slot[3];
};

enum HashBound : int { ExactBound = 0, LowerBound = 1, UpperBound = 2 };

constexpr int TranspositionBits = 20;
extern HashBucket TranspositionTable[2][1 << TranspositionBits];

// First matching slot of the key's bucket in the table of `side`, or nullptr.
HashEntry* probe(uint64_t key, int side);
// Stores with the replacement rule; age = Pos.gamePly.
void store(uint64_t key, int side, Move m, int score, int depth, int bound);
void clearTranspositionTable();
// Probes for the current position and copies the entry's move, depth, score
// and bound into the record; on a miss clears its hash move and hash depth.
bool probeIntoRecord(PlyState& record);

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
