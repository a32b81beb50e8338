// Arbitrary bytes as a position-statistics database: open, binary search,
// linear search and the sequential reader. Whatever the order of the file,
// a record returned must carry the key asked for; in a sorted file every
// stored key must be found by both searches, in any order of lookups.
#include <vector>

#include "db/position_database.h"
#include "fuzz_support.h"

namespace {

constexpr const char* DatabasePath = "fuzz_white.db";
constexpr size_t MaxCheckedRecords = 128;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  clearScratchDirectory();
  writeScratchFile(DatabasePath, data, size);

  PositionDatabase db;
  char message[DatabaseMessageBytes] = {};
  fuzzCheck(db.open(DatabasePath, message), "a readable database was refused");
  fuzzCheck(db.recordCount() == static_cast<int64_t>(size / PositionRecordBytes),
            "record count differs from the file size");

  // 1. The stored keys in file order, and whether they ascend strictly.
  std::vector<uint64_t> keys;
  bool sorted = true;
  fuzzCheck(db.rewind(), "rewind failed");
  while (const PositionRecord* record = db.next()) {
    if (!keys.empty() && keys.back() >= record->key) sorted = false;
    keys.push_back(record->key);
    fuzzCheck(keys.size() <= MaxCheckedRecords, "more records read than the file holds");
  }
  fuzzCheck(!db.readFailed() && keys.size() == static_cast<size_t>(db.recordCount()),
            "sequential reading stopped early");

  // 2. Lookups in an order the input picks (the binary search starts from
  //    the record the previous lookup left current), present keys and
  //    their neighbours.
  for (size_t i = 0; i < keys.size(); ++i) {
    const uint64_t key = keys[(i * 7 + (size & 0xFF)) % keys.size()];
    for (uint64_t probe : {key, key - 1, key + 1}) {
      const PositionRecord* found = db.find(probe);
      fuzzCheck(found == nullptr || found->key == probe, "binary search returned another key");
      if (sorted && probe == key) fuzzCheck(found != nullptr, "binary search missed a stored key");
      const PositionRecord* linear = db.findLinear(probe);
      fuzzCheck(linear == nullptr || linear->key == probe, "linear search returned another key");
      if (sorted && probe == key) fuzzCheck(linear != nullptr, "linear search missed a stored key");
    }
  }
  db.find(0);
  db.find(UINT64_MAX);
  return 0;
}
