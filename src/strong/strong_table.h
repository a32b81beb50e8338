// The strong search's transposition table: 64-byte buckets of five entries,
// so that one probe touches one cache line. Entries keep the move, the
// score, the static evaluation, the depth, the bound and the search's age.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/types.h"

enum StrongBound : uint8_t { BoundNone = 0, BoundUpper = 1, BoundLower = 2, BoundExact = 3 };

struct StrongEntry {
  uint32_t check;  // key bits the bucket index does not use
  Move move;
  int16_t score;
  int16_t eval;
  uint8_t depth;     // depth + DepthOffset; 0: empty
  uint8_t ageBound;  // age << 2 | bound
  int bound() const { return ageBound & 3; }
};

constexpr int EntriesPerBucket = 5;
struct alignas(64) StrongBucket {
  StrongEntry entry[EntriesPerBucket];
  uint8_t padding[64 - EntriesPerBucket * sizeof(StrongEntry)];
};
static_assert(sizeof(StrongBucket) == 64);

// Stored depths run from the quiescence search's -DepthOffset + 1 upwards.
constexpr int DepthOffset = 8;
constexpr size_t DefaultStrongTableMegabytes = 64;

class StrongTable {
 public:
  ~StrongTable();
  // Allocates `megabytes` (at least one bucket) and clears it; false, with
  // the old table kept, when the memory is not there.
  bool resize(size_t megabytes);
  void clear();
  // A new search: entries of older searches become cheaper to replace.
  void newSearch() { age_ = static_cast<uint8_t>((age_ + 1) & 63); }
  bool allocated() const { return buckets_ != nullptr; }

  // The entry for `key` if present (`found` true), else the entry to replace.
  StrongEntry* probe(uint64_t key, bool& found);
  void store(StrongEntry* entry, uint64_t key, Move move, int score, int eval, int depth,
             int bound);
  void prefetch(uint64_t key) const { __builtin_prefetch(&buckets_[indexOf(key)]); }
  // Entries of the current search per thousand, from the first buckets.
  int permille() const;

 private:
  size_t indexOf(uint64_t key) const {
    return static_cast<size_t>((static_cast<unsigned __int128>(key) * bucketCount_) >> 64);
  }
  StrongBucket* buckets_ = nullptr;
  size_t bucketCount_ = 0;
  uint8_t age_ = 0;
};

extern StrongTable StrongTT;

// Mate scores are stored as distances from the stored node, not the root.
int scoreToTable(int score, int ply);
int scoreFromTable(int score, int ply);
