// Arbitrary bytes as a game file: the validating count, the record reader,
// the duplicate index and the two converters that read game files. The
// count and the reader must agree, and no record may be replayed unchecked.
#include <cstdio>

#include "core/position.h"
#include "fuzz_support.h"
#include "tools/converters.h"
#include "tools/game_file.h"
#include "tools/pgn.h"
#include "tools/text_output.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr const char* GamePath = "fuzz.game";
constexpr int MaxCheckedRecords = 64;

GameRecord Games[MaxCheckedRecords];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  clearScratchDirectory();
  writeScratchFile(GamePath, data, size);
  fuzzCheck(readFen(StartFen), "start position refused");
  const uint64_t startKey = Pos.key;

  // 1. The count, then the records one by one: both must tell the same story.
  std::FILE* file = std::fopen(GamePath, "rb");
  fuzzCheck(file != nullptr, "game file not readable");
  const int counted = countGameRecords(file);
  fuzzCheck(std::ftell(file) == 0, "countGameRecords moved the stream");
  int read = 0;
  bool threw = false;
  try {
    while (read < MaxCheckedRecords && readGameRecord(file, Games[read])) {
      fuzzCheck(Games[read].plyCount() <= MaxGamePlies && Games[read].resultCode() != 0,
                "invalid record accepted");
      ++read;
    }
  } catch (const PgnError&) {
    threw = true;
  }
  if (counted >= 0 && read < MaxCheckedRecords) {
    fuzzCheck(!threw && read == counted, "count and reader disagree on a valid file");
  }
  if (counted < 0 && -counted <= MaxCheckedRecords) {
    fuzzCheck(threw && read == -counted - 1, "count and reader disagree on the bad record");
  }
  std::fclose(file);

  // 2. The duplicate index finds every record of a valid file.
  file = std::fopen(GamePath, "a+b");
  fuzzCheck(file != nullptr, "game file not reopened");
  GameFileIndex index;
  const int loaded = index.load(file);
  if (loaded >= 0) {
    fuzzCheck(loaded == counted, "index and count disagree");
    for (int k = 0; k < read && k < MaxCheckedRecords; ++k) {
      fuzzCheck(index.contains(file, Games[k]), "index misses a record of the file");
    }
  }
  std::fclose(file);

  // 3. Position lines and PGN text of the playable records.
  TextOutput out;
  fuzzCheck(out.open("records.txt", false), "scratch output not opened");
  for (int k = 0; k < read && k < MaxCheckedRecords; ++k) {
    writePgnGame(out, Games[k]);
    if (gameIsPlayable(Games[k])) writePositionLines(out, Games[k]);
    fuzzCheck(Pos.key == startKey && positionIsConsistent(),
              "position lines left the board changed");
  }
  out.close();

  // 4. The converters over the same file.
  gameToPgn(GamePath, "fuzz.pgn");
  gameToPos(GamePath, "fuzz.pos");
  return 0;
}
