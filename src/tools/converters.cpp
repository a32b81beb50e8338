#include "tools/converters.h"

#include <cstdio>
#include <string>

#include "core/log.h"
#include "core/position.h"
#include "tools/game_file.h"
#include "tools/pgn.h"
#include "tools/text_input.h"
#include "tools/text_output.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr int PercentScale = 100;

// The game being converted (large: kept off the stack).
GameRecord Game;

// Counts of one PGN file's conversion.
struct Tally {
  int converted = 0;
  int skipped = 0;
};

void warnSkipped(const Tally& tally, const char* pgnPath) {
  std::printf("Warning: game %d (skipped) file: %s\n", tally.converted + tally.skipped, pgnPath);
}

void reportFinished(const Tally& tally, const char* pgnPath) {
  std::printf("converted: %d games. (skipped: %d)\n", tally.converted, tally.skipped);
  std::printf("file: %s \t\tfinished\n", pgnPath);
  EngineLog << "<<< OK:\t" << pgnPath << "\t>>>" << '\n';
  EngineLog.flush();
}

void reportReaderError(const Tally& tally, const PgnError& error, const char* pgnPath) {
  std::printf("converted: %d games. (skipped: %d)\n", tally.converted, tally.skipped);
  std::printf("ERROR: %s file: %s\n", error.text, pgnPath);
  EngineLog << "converted: " << tally.converted << "\tskipped: " << tally.skipped << '\n';
  EngineLog << "ERROR: " << error.text << '\n';
  EngineLog.flush();
}

// Reads every game of the input; `store` is called for each finished game
// and tells whether it was converted. PgnError passes through.
template <typename Store>
void convertGames(TextInput& in, const char* pgnPath, Tally& tally, Store store) {
  readFen(StartFen);
  skipSpaceAndCommentLines(in);
  while (in.peek() != EOF) {
    if (readPgnGame(in, Game) != 0 && store()) {
      ++tally.converted;
    } else {
      ++tally.skipped;
      warnSkipped(tally, pgnPath);
    }
    skipSpaceAndCommentLines(in);
  }
}

bool closeGameFile(std::FILE* file, const char* path) {
  if (std::fclose(file) != 0) {
    std::printf("Cannot write GAME output file: '%s'\n", path);
    return false;
  }
  return true;
}

// One PGN file into an open game file. The index describes the game file and
// is loaded on first use; false when the whole command must end.
bool convertIntoGameFile(const char* pgnPath, const char* gamePath, GameFileIndex& index,
                         bool& indexLoaded, int& total) {
  TextInput in;
  if (!in.open(pgnPath)) {
    std::printf("Cannot open PGN input file: '%s'\n", pgnPath);
    return true;
  }
  std::FILE* gameFile = std::fopen(gamePath, "a+b");
  if (gameFile == nullptr) {
    std::printf("Cannot create GAME output file: '%s'\n", gamePath);
    return true;
  }
  // A malformed record already in the file would be misread by the duplicate
  // test, and appending after a cut record would misalign every new one.
  if (!indexLoaded) {
    const int loaded = index.load(gameFile);
    if (loaded < 0) {
      std::printf("Game file corrupted! (error on game: %d)\n", -loaded);
      std::fclose(gameFile);
      return false;
    }
    indexLoaded = true;
  }

  Tally tally;
  bool writeFailed = false;
  try {
    convertGames(in, pgnPath, tally, [&]() {
      if (writeFailed || index.contains(gameFile, Game)) return false;
      std::clearerr(gameFile);
      std::fseek(gameFile, 0, SEEK_END);
      const long offset = std::ftell(gameFile);
      if (!writeGameRecord(gameFile, Game)) {
        writeFailed = true;
        return false;
      }
      index.add(Game, offset);
      ++total;
      return true;
    });
  } catch (const PgnError& error) {
    in.close();
    closeGameFile(gameFile, gamePath);
    reportReaderError(tally, error, pgnPath);
    return false;
  }
  const bool closed = closeGameFile(gameFile, gamePath);
  if (writeFailed && closed) std::printf("Cannot write GAME output file: '%s'\n", gamePath);
  if (in.readError()) std::printf("Cannot read PGN input file: '%s'\n", pgnPath);
  reportFinished(tally, pgnPath);
  return closed && !writeFailed;
}

// Progress of the game-file readers: "[  0%]..." rewritten in place.
class Progress {
 public:
  explicit Progress(int total) : total_(total) {
    std::printf("Converting %d games [  0%%]...", total);
  }
  void advance(int done) {
    if (total_ <= 0) return;
    const int percent = static_cast<int>(static_cast<long long>(done) * PercentScale / total_);
    if (percent > shown_) {
      shown_ = percent;
      std::printf("\b\b\b\b\b\b\b\b%3d%%]...", percent);
    }
  }

 private:
  int total_;
  int shown_ = 0;
};

// Opens a game file for reading; nullptr after printing why.
std::FILE* openGameInput(const char* gamePath) {
  std::FILE* in = std::fopen(gamePath, "rb");
  if (in == nullptr) {
    std::printf("Cannot open GAME input file: '%s'\n", gamePath);
    return nullptr;
  }
  return in;
}

// The part of "game2pgn" and "game2pos" after the files are open: validates,
// then hands each record to `emit`, which returns an error text to stop. The
// output is closed (flushed) before the closing lines, which are printed only
// when every byte reached it; `writeFailure` reports that it did not.
template <typename Emit>
void convertGameRecords(std::FILE* in, TextOutput& out, const char* writeFailure, Emit emit,
                        const char* closing) {
  auto closeOutput = [&out, writeFailure](bool afterProgress) {
    if (out.close()) return true;
    if (afterProgress) std::printf("\n");
    std::printf(writeFailure, out.path().c_str());
    return false;
  };
  const int count = countGameRecords(in);
  if (count < 0) {
    std::printf("Game file corrupted! (error on game: %d)", -count);
    closeOutput(true);
    return;
  }
  std::rewind(in);
  Progress progress(count);
  int converted = 0;
  const char* problem = nullptr;
  try {
    while (!problem && readGameRecord(in, Game)) {
      problem = emit();
      if (!problem) {
        ++converted;
        progress.advance(converted);
      }
    }
  } catch (const PgnError& error) {
    problem = error.text;
  }
  if (problem) {
    std::printf("ERROR: %s\n", problem);
    std::printf("converted: %d games.\n", converted);
    closeOutput(false);
    return;
  }
  if (!closeOutput(true)) return;
  std::printf("%s", closing);
  std::printf("converted: %d games.\n", converted);
}

}  // namespace

void pgnToPos(const char* pgnPath) {
  TextInput in;
  if (!in.open(pgnPath)) {
    std::printf("Cannot open PGN input file: '%s'\n", pgnPath);
    return;
  }
  TextOutput outs[PositionFileCount];
  for (int k = 0; k < PositionFileCount; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "%X.pos", k);
    if (!outs[k].open(name, "wb")) {
      std::printf("Cannot create POS output file: '%s'\n", name);
      return;
    }
  }

  Tally tally;
  const char* readerError = nullptr;
  try {
    convertGames(in, pgnPath, tally, [&]() {
      writePositionLines(outs, Game);
      return true;
    });
  } catch (const PgnError& error) {
    readerError = error.text;
  }
  // Every file flushed and closed before any closing line: a success line
  // never follows a failed write.
  in.close();
  bool written = true;
  for (TextOutput& out : outs) {
    if (!out.close()) {
      std::printf("Cannot write POS output file: '%s'\n", out.path().c_str());
      written = false;
    }
  }
  if (readerError) {
    reportReaderError(tally, PgnError{readerError}, pgnPath);
    return;
  }
  if (!written) return;
  if (in.readError()) std::printf("Cannot read PGN input file: '%s'\n", pgnPath);
  reportFinished(tally, pgnPath);
}

void pgnToGame(const char* pgnPath, const char* gamePath) {
  GameFileIndex index;
  bool indexLoaded = false;
  int total = 0;
  convertIntoGameFile(pgnPath, gamePath, index, indexLoaded, total);
}

void pgnListToGame(const char* listPath, const char* gamePath) {
  TextInput list;
  if (!list.open(listPath)) {
    std::printf("Cannot open PGN input file: '%s'\n", listPath);
    return;
  }
  GameFileIndex index;
  bool indexLoaded = false;
  int total = 0;
  std::string line;
  for (;;) {
    // Whole lines, however long; the line end (LF or CRLF) is not part of the name.
    line.clear();
    int c = list.get();
    if (c == EOF) break;
    while (c != EOF && c != '\n') {
      line.push_back(static_cast<char>(c));
      c = list.get();
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!convertIntoGameFile(line.c_str(), gamePath, index, indexLoaded, total)) return;
  }
  std::printf("\nCONVERTED GAMES: %d\n", total);
}

void gameToPgn(const char* gamePath, const char* pgnPath) {
  std::FILE* in = openGameInput(gamePath);
  if (in == nullptr) return;
  TextOutput out;
  if (!out.open(pgnPath, "ab")) {
    std::printf("Cannot create PGN output file: '%s'\n", pgnPath);
    std::fclose(in);
    return;
  }
  convertGameRecords(
      in, out, "Cannot write PGN output file: '%s'\n",
      [&out]() -> const char* {
        writePgnGame(out, Game);
        return nullptr;
      },
      "OK\n");
  std::fclose(in);
}

void gameToPos(const char* gamePath, const char* positionPath) {
  std::FILE* in = openGameInput(gamePath);
  if (in == nullptr) return;
  TextOutput out;
  if (!out.open(positionPath, "ab")) {
    std::printf("Cannot create DB output file: '%s'\n", positionPath);
    std::fclose(in);
    return;
  }
  readFen(StartFen);
  convertGameRecords(
      in, out, "Cannot write DB output file: '%s'\n",
      [&out]() -> const char* {
        // Records are replayed unchecked otherwise: refuse a move the position
        // does not allow rather than corrupt the board.
        if (!gameIsPlayable(Game)) return "MOVE NOT LEGAL";
        writePositionLines(out, Game);
        return nullptr;
      },
      "\tOK\n");
  std::fclose(in);
}
