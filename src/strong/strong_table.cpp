#include "strong/strong_table.h"

#include <cstdlib>
#include <cstring>

#include "strong/strong_limits.h"

StrongTable StrongTT;

namespace {
constexpr size_t BytesPerMegabyte = 1024 * 1024;
constexpr int PermilleSampleBuckets = 200;
// An entry's worth for replacement: depth, less eight per search of age.
constexpr int AgePenalty = 8;
}  // namespace

StrongTable::~StrongTable() { std::free(buckets_); }

bool StrongTable::resize(size_t megabytes) {
  size_t count = megabytes * BytesPerMegabyte / sizeof(StrongBucket);
  if (count == 0) count = 1;
  void* memory = std::aligned_alloc(alignof(StrongBucket), count * sizeof(StrongBucket));
  if (memory == nullptr) return false;
  std::free(buckets_);
  buckets_ = static_cast<StrongBucket*>(memory);
  bucketCount_ = count;
  clear();
  return true;
}

void StrongTable::clear() {
  if (buckets_ != nullptr)
    std::memset(static_cast<void*>(buckets_), 0, bucketCount_ * sizeof(StrongBucket));
  age_ = 0;
}

StrongEntry* StrongTable::probe(uint64_t key, bool& found) {
  StrongBucket& bucket = buckets_[indexOf(key)];
  const uint32_t check = static_cast<uint32_t>(key);
  StrongEntry* replace = &bucket.entry[0];
  int replaceWorth = 1 << 30;
  for (StrongEntry& e : bucket.entry) {
    if (e.depth == 0 || e.check == check) {
      found = e.depth != 0;
      return &e;
    }
    const int age = (age_ - (e.ageBound >> 2)) & 63;
    const int worth = e.depth - AgePenalty * age;
    if (worth < replaceWorth) {
      replaceWorth = worth;
      replace = &e;
    }
  }
  found = false;
  return replace;
}

void StrongTable::store(StrongEntry* entry, uint64_t key, Move move, int score, int eval, int depth,
                        int bound) {
  const uint32_t check = static_cast<uint32_t>(key);
  // Keep the old move when the new result has none for the same position.
  if (move != 0 || entry->check != check) entry->move = move;
  // A shallower result of the same position from this search does not
  // overwrite a deeper one unless it is exact.
  if (entry->check == check && entry->depth != 0 && bound != BoundExact &&
      depth + DepthOffset + 3 < entry->depth && (entry->ageBound >> 2) == age_)
    return;
  entry->check = check;
  entry->score = static_cast<int16_t>(score);
  entry->eval = static_cast<int16_t>(eval);
  entry->depth = static_cast<uint8_t>(depth + DepthOffset);
  entry->ageBound = static_cast<uint8_t>(age_ << 2 | bound);
}

int StrongTable::permille() const {
  if (buckets_ == nullptr) return 0;
  const size_t sample = bucketCount_ < PermilleSampleBuckets ? bucketCount_ : PermilleSampleBuckets;
  int used = 0;
  for (size_t i = 0; i < sample; ++i) {
    for (const StrongEntry& e : buckets_[i].entry) {
      if (e.depth != 0 && (e.ageBound >> 2) == age_) ++used;
    }
  }
  return static_cast<int>(used * 1000 / (sample * EntriesPerBucket));
}

int scoreToTable(int score, int ply) {
  if (score >= MateInMaxPly) return score + ply;
  if (score <= -MateInMaxPly) return score - ply;
  return score;
}

int scoreFromTable(int score, int ply) {
  if (score >= MateInMaxPly) return score - ply;
  if (score <= -MateInMaxPly) return score + ply;
  return score;
}
