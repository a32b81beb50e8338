#include "search/transposition.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>

#include "core/position.h"

namespace {

// The default table lives in static storage (it costs nothing until used);
// other sizes are mapped on demand.
HashBucket DefaultTable[2][1 << DefaultTranspositionBits];
HashBucket* MappedTable = nullptr;
size_t MappedBytes = 0;
uint32_t BucketMask = (1u << DefaultTranspositionBits) - 1;
// Bits of the key's low half kept in word 0 and compared on a probe; the
// bits below them are either the bucket index or overwritten by the move.
uint32_t ComparedLowBits = ~BucketMask;
constexpr uint32_t StoredLowBits = 0xFFFF0000u;
constexpr int PermilleSampleBuckets = 334;  // about a thousand slots
constexpr int ScoreOffset = IllegalScore;
constexpr int ScoreShift = 18;
constexpr int AgeShift = 9;
constexpr int BoundShift = 7;
constexpr int AgeModulus = 512;
constexpr int DepthMask = MaxSearchPly;  // the depth field holds 0..MaxSearchPly

uint32_t lowHalf(uint64_t key) { return static_cast<uint32_t>(key); }
uint32_t highHalf(uint64_t key) { return static_cast<uint32_t>(key >> 32); }

bool matches(const HashEntry& e, uint32_t low, uint32_t high) {
  return ((e.word0 ^ low) & ComparedLowBits) == 0 && e.word1 == high;
}

void fill(HashEntry& e, uint32_t low, uint32_t high, Move m, int score, int depth, int bound,
          int ply) {
  e.word0 = (low & StoredLowBits) | m;
  e.word1 = high;
  e.word2 = (static_cast<uint32_t>(score + ScoreOffset) << ScoreShift) |
            (static_cast<uint32_t>(ply % AgeModulus) << AgeShift) |
            (static_cast<uint32_t>(bound) << BoundShift) | static_cast<uint32_t>(depth);
}

// How much more the new result deserves the slot than its occupant: deeper
// results and results of later game moves win. Kept in 16 bits like the ply.
int16_t margin(const HashEntry& e, int depth, int ply) {
  return static_cast<int16_t>(depth + ply - e.age() - e.depth());
}

bool displaces(const HashEntry& e, int depth, int bound, int ply) {
  const int16_t m = margin(e, depth, ply);
  return m > 0 || (m == 0 && bound < e.bound());
}

}  // namespace

int TranspositionBits = DefaultTranspositionBits;
HashBucket* TranspositionTable[2] = {DefaultTable[0], DefaultTable[1]};

HashEntry* probe(uint64_t key, Side side) {
  HashBucket& bucket = TranspositionTable[side][lowHalf(key) & BucketMask];
  const uint32_t low = lowHalf(key);
  const uint32_t high = highHalf(key);
  for (HashEntry& e : bucket.slot) {
    if (matches(e, low, high)) return &e;
  }
  return nullptr;
}

void store(uint64_t key, Side side, Move m, int score, int depth, int bound) {
  HashBucket& bucket = TranspositionTable[side][lowHalf(key) & BucketMask];
  const uint32_t low = lowHalf(key);
  const uint32_t high = highHalf(key);
  const int ply = Pos.gamePly;
  HashEntry* slot = bucket.slot;
  // The depth field holds 0..127; a depth outside it would otherwise wrap
  // into a much deeper (or shallower) looking entry.
  depth = depth < 0 ? 0 : depth > DepthMask ? DepthMask : depth;

  // 1. Slot 0 already holds this position: only a deeper result, or an
  //    equally deep one with a tighter bound, replaces it.
  if (matches(slot[0], low, high)) {
    if (depth > slot[0].depth() || (depth == slot[0].depth() && bound < slot[0].bound())) {
      fill(slot[0], low, high, m, score, depth, bound, ply);
    }
    return;
  }
  // 2. Slot 0 is the depth-preferred slot; its displaced occupant moves down
  //    to slot 1 rather than being lost.
  if (displaces(slot[0], depth, bound, ply)) {
    slot[1] = slot[0];
    fill(slot[0], low, high, m, score, depth, bound, ply);
    return;
  }
  // 3. Slot 1 is protected by the same rule.
  if (displaces(slot[1], depth, bound, ply)) {
    fill(slot[1], low, high, m, score, depth, bound, ply);
    return;
  }
  // 4. Slot 2 always takes what the others refuse.
  fill(slot[2], low, high, m, score, depth, bound, ply);
}

namespace {

// The table is far larger than what the processor's page-table cache covers
// with ordinary pages, so nearly every probe would also miss there. Asking for
// huge pages over the table's 2 MiB-aligned interior removes most of those
// misses; where the kernel declines, nothing changes.
void adviseHugePages(void* table, size_t bytes) {
  constexpr uintptr_t HugePage = uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<uintptr_t>(table);
  const uintptr_t end = begin + bytes;
  const uintptr_t first = (begin + HugePage - 1) & ~(HugePage - 1);
  const uintptr_t last = end & ~(HugePage - 1);
  if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

size_t tableBytes(int bits) { return 2 * (size_t{1} << bits) * sizeof(HashBucket); }

}  // namespace

void clearTranspositionTable() {
  static const bool advised = (adviseHugePages(DefaultTable, sizeof DefaultTable), true);
  (void)advised;
  std::memset(TranspositionTable[0], 0, tableBytes(TranspositionBits) / 2);
  std::memset(TranspositionTable[1], 0, tableBytes(TranspositionBits) / 2);
}

bool resizeTranspositionTable(int megabytes) {
  int bits = MinTranspositionBits;
  while (bits < MaxTranspositionBits &&
         tableBytes(bits + 1) <= (size_t{1} << 20) * static_cast<size_t>(megabytes)) {
    ++bits;
  }
  HashBucket* table = DefaultTable[0];
  if (bits != DefaultTranspositionBits) {
    void* mapped =
        mmap(nullptr, tableBytes(bits), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return false;
    adviseHugePages(mapped, tableBytes(bits));
    table = static_cast<HashBucket*>(mapped);
  }
  if (MappedTable != nullptr) munmap(MappedTable, MappedBytes);
  MappedTable = bits != DefaultTranspositionBits ? table : nullptr;
  MappedBytes = bits != DefaultTranspositionBits ? tableBytes(bits) : 0;
  TranspositionBits = bits;
  BucketMask = (1u << bits) - 1;
  ComparedLowBits = ~BucketMask;
  TranspositionTable[0] = table;
  TranspositionTable[1] = table + (size_t{1} << bits);
  clearTranspositionTable();
  return true;
}

int transpositionTableMegabytes() { return static_cast<int>(tableBytes(TranspositionBits) >> 20); }

int transpositionPermille() {
  int used = 0;
  for (int b = 0; b < PermilleSampleBuckets; ++b) {
    for (const HashEntry& e : TranspositionTable[0][b].slot)
      used += (e.word0 | e.word1 | e.word2) != 0;
  }
  return used * 1000 / (PermilleSampleBuckets * 3);
}

bool probeIntoRecord(PlyState& record) {
  const HashEntry* entry = probe(Pos.key, Pos.side);
  if (entry == nullptr) {
    record.hashMove = 0;
    record.hashDepth = 0;
    return false;
  }
  record.hashMove = entry->move();
  record.hashDepth = static_cast<uint8_t>(entry->depth());
  record.hashScore = entry->score();
  record.hashBound = static_cast<uint8_t>(entry->bound());
  return true;
}
