// Transposition table, one per side to move.
#pragma once

#include <cstdint>

#include "core/ply_state.h"
#include "core/types.h"

// 12-byte slot: word0 = key low half bits 16-31 | move, word1 = key high half,
// word2 = (score + IllegalScore) << 18 | (age % 512) << 9 | bound << 7 | depth.
struct HashEntry {
  uint32_t word0;
  uint32_t word1;
  uint32_t word2;

  Move move() const { return static_cast<Move>(word0 & 0xFFFF); }
  int depth() const { return word2 & MaxSearchPly; }
  int bound() const { return (word2 >> 7) & 3; }
  int age() const { return (word2 >> 9) & 511; }
  int16_t score() const {
    return static_cast<int16_t>(static_cast<int>(word2 >> 18) - IllegalScore);
  }
};
struct HashBucket {
  HashEntry slot[3];
};

enum HashBound : int { ExactBound = 0, LowerBound = 1, UpperBound = 2 };

// Table size: 2^TranspositionBits buckets per side. The key bits below 16
// are not stored, so the index needs at least 16 of them.
constexpr int DefaultTranspositionBits = 20;  // 72 MiB for both sides
constexpr int MinTranspositionBits = 16;
constexpr int MaxTranspositionBits = 25;
constexpr int TableMegabytesAtDefault = 72;
constexpr int MinTableMegabytes = 5;  // 2^16 buckets a side take 4.5 MiB
constexpr int MaxTableMegabytes = TableMegabytesAtDefault
                                  << (MaxTranspositionBits - DefaultTranspositionBits);
extern int TranspositionBits;
extern HashBucket* TranspositionTable[2];

// Table sizing: the largest size within `megabytes` (held within the limits
// above; sizes go in powers of two), cleared. False when the memory is not
// there: the table then keeps its size and contents. Never during a search.
bool resizeTranspositionTable(int megabytes);
// Megabytes both sides' tables take now (rounded down).
int transpositionTableMegabytes();
// Slots in use per thousand, from a sample at the start of the table.
int transpositionPermille();

// First matching slot of the key's bucket in the table of `side`, or nullptr.
HashEntry* probe(uint64_t key, Side side);
// Stores with the replacement rule; age = Pos.gamePly.
void store(uint64_t key, Side side, Move m, int score, int depth, int bound);
void clearTranspositionTable();
// Probes for the current position and copies the entry's move, depth, score
// and bound into the record; on a miss clears its hash move and hash depth.
bool probeIntoRecord(PlyState& record);
