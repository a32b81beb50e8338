// Arbitrary text as the position file of "dbcreate": both passes, then the
// database each one wrote is read back. A pass that reports success must
// have written records in strictly ascending key order, for its side only,
// each counting at least one game.
#include <cstring>

#include "db/database_creation.h"
#include "db/position_database.h"
#include "fuzz_support.h"

namespace {

constexpr const char* InputPath = "fuzz.pos";

void checkPass(char side, const char* outputPath) {
  char message[DatabaseMessageBytes] = {};
  const bool created = createDatabase(InputPath, outputPath, side, message);
  fuzzCheck(created || message[0] != '\0', "a failed pass left no message");
  fuzzCheck(std::memchr(message, '\0', sizeof message) != nullptr, "message not terminated");
  if (!created) return;

  PositionDatabase db;
  fuzzCheck(db.open(outputPath, message), "a created database cannot be opened");
  uint64_t previous = 0;
  bool first = true;
  while (const PositionRecord* record = db.next()) {
    fuzzCheck(first || record->key > previous, "created database out of order");
    fuzzCheck(isWhiteToMove(*record) == (side == 'W'), "record of the other side written");
    const uint64_t games = uint64_t{record->whiteWins} + record->blackWins + record->draws;
    fuzzCheck(games >= 1, "record without a game");
    previous = record->key;
    first = false;
  }
  fuzzCheck(!db.readFailed(), "created database unreadable");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  clearScratchDirectory();
  writeScratchFile(InputPath, data, size);
  // Single lines through the parser, as the passes see them.
  const std::string text(reinterpret_cast<const char*>(data), size);
  PositionRecord record;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (parsePositionLine(line.c_str(), record)) {
      const uint64_t games = uint64_t{record.whiteWins} + record.blackWins + record.draws;
      fuzzCheck(games == 1, "a parsed line counts other than one game");
    }
    start = end + 1;
  }
  checkPass('B', "fuzz_black.db");
  checkPass('W', "fuzz_white.db");
  return 0;
}
