#include "tools/converters.h"

#include <cstdio>
#include <string>

#include "core/file_io.h"
#include "core/log.h"
#include "core/position.h"
#include "core/replacement_file.h"
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

// Thrown by a converter's store step when its output cannot be written: the
// conversion ends at once.
struct WriteFailed {};

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

bool openPgnInput(TextInput& in, const char* pgnPath) {
  bool notRegular = false;
  if (in.open(pgnPath, &notRegular)) return true;
  std::printf("Cannot open PGN input file: '%s'%s\n", pgnPath, openFailureNote(notRegular));
  return false;
}

// Reads every game of the input; `store` is called for each finished game
// and tells whether it was converted. PgnError and WriteFailed pass through.
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

// The game file the PGN converters add to: a copy of it in a temporary,
// begun when the first PGN file has opened, and the index of its records.
struct GameOutput {
  ReplacementFile file;
  std::FILE* stream = nullptr;
  GameFileIndex index;
  int added = 0;

  // False, after the message, when the game file cannot be used.
  bool begin(const char* gamePath) {
    if (stream != nullptr) return true;
    if (!file.begin(gamePath, true) || (stream = file.stream("a+b")) == nullptr) {
      std::printf("Cannot create GAME output file: '%s'%s\n", gamePath, file.note());
      return false;
    }
    // A malformed record already in the file would be misread by the
    // duplicate test, and appending after a cut record would misalign every
    // new one.
    const int loaded = index.load(stream);
    if (loaded < 0) {
      std::printf("Game file corrupted! (error on game: %d)\n", -loaded);
      return false;
    }
    return true;
  }
  // Puts the game file in place when games were added or it is new; false,
  // after the message, when that failed.
  bool place(const char* gamePath) {
    if (!file.active()) return true;
    if (added == 0 && file.targetExisted()) {
      file.discard();
      return true;
    }
    if (file.commit()) return true;
    std::printf("Cannot write GAME output file: '%s'\n", gamePath);
    return false;
  }
};

// What the PGN file's conversion leaves the command to do.
enum class Step { Next, Stop, Fail };

// One PGN file into the game file: Next when the command goes on with the
// next file, Stop after a reader error (the games added so far stay), Fail
// when nothing may change. With `placeNow` the game file is put in place
// before the closing lines.
Step convertIntoGameFile(const char* pgnPath, const char* gamePath, GameOutput& out,
                         bool placeNow) {
  TextInput in;
  if (!openPgnInput(in, pgnPath)) return Step::Next;
  if (!out.begin(gamePath)) return Step::Fail;
  Tally tally;
  try {
    convertGames(in, pgnPath, tally, [&]() {
      if (out.index.contains(out.stream, Game)) return false;
      std::clearerr(out.stream);
      std::fseek(out.stream, 0, SEEK_END);
      const long offset = std::ftell(out.stream);
      if (!writeGameRecord(out.stream, Game) || std::fflush(out.stream) != 0) throw WriteFailed{};
      out.index.add(Game, offset);
      ++out.added;
      return true;
    });
  } catch (const PgnError& error) {
    if (placeNow && !out.place(gamePath)) return Step::Fail;
    reportReaderError(tally, error, pgnPath);
    return Step::Stop;
  } catch (const WriteFailed&) {
    std::printf("Cannot write GAME output file: '%s'\n", gamePath);
    return Step::Fail;
  }
  if (in.readError()) {
    std::printf("Cannot read PGN input file: '%s'\n", pgnPath);
    return Step::Fail;
  }
  if (placeNow && !out.place(gamePath)) return Step::Fail;
  reportFinished(tally, pgnPath);
  return Step::Next;
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
  bool notRegular = false;
  std::FILE* in = openRegularStream(gamePath, &notRegular);
  if (in == nullptr) {
    std::printf("Cannot open GAME input file: '%s'%s\n", gamePath, openFailureNote(notRegular));
  }
  return in;
}

// Closes an output and puts it in place. A run that added nothing leaves an
// existing file as it was; only a finished run makes a new file. False,
// after the message (on a new line after the progress), on a failure.
bool placeOutput(TextOutput& out, const char* kind, bool finished, bool afterProgress) {
  if (out.close()) {
    if (!out.wroteAny() && (out.existed() || !finished)) {
      out.discard();
      return true;
    }
    if (out.commit()) return true;
  }
  if (afterProgress) std::printf("\n");
  std::printf("Cannot write %s output file: '%s'\n", kind, out.path().c_str());
  return false;
}

// "game2pgn" and "game2pos" once the input is open: validates it, then
// appends what `emit` writes for each record to the output (`kind` names it
// in messages); `emit` returns an error text to stop. The output is in
// place before the closing lines, which are printed only when every byte
// reached it.
template <typename Emit>
void convertGameRecords(std::FILE* in, const char* gamePath, const char* outPath, const char* kind,
                        Emit emit, const char* closing) {
  const int count = countGameRecords(in);
  if (count < 0) {
    std::printf("Game file corrupted! (error on game: %d)", -count);
    return;
  }
  TextOutput out;
  if (!out.open(outPath, true)) {
    std::printf("Cannot create %s output file: '%s'%s\n", kind, outPath, out.note());
    return;
  }
  std::rewind(in);
  Progress progress(count);
  int converted = 0;
  const char* problem = nullptr;
  try {
    while (!problem && readGameRecord(in, Game)) {
      problem = emit(out);
      if (!problem) {
        ++converted;
        progress.advance(converted);
      }
    }
  } catch (const PgnError& error) {
    problem = error.text;
  }
  if (std::ferror(in) != 0) {
    std::printf("\nCannot read GAME input file: '%s'\n", gamePath);
    return;
  }
  if (problem) {
    std::printf("ERROR: %s\n", problem);
    if (!placeOutput(out, kind, false, false)) return;
    std::printf("converted: %d games.\n", converted);
    return;
  }
  if (!placeOutput(out, kind, true, true)) return;
  std::printf("%s", closing);
  std::printf("converted: %d games.\n", converted);
}

}  // namespace

void pgnToPos(const char* pgnPath) {
  TextInput in;
  if (!openPgnInput(in, pgnPath)) return;
  TextOutput outs[PositionFileCount];
  for (int k = 0; k < PositionFileCount; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "%X.pos", k);
    if (!outs[k].open(name, false)) {
      std::printf("Cannot create POS output file: '%s'%s\n", name, outs[k].note());
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
  // Every file written and closed, then all put in place, before any closing
  // line: a success line never follows a failed write, and a failure leaves
  // the old files.
  if (in.readError()) {
    std::printf("Cannot read PGN input file: '%s'\n", pgnPath);
    return;
  }
  for (TextOutput& out : outs) {
    if (!out.close()) {
      std::printf("Cannot write POS output file: '%s'\n", out.path().c_str());
      return;
    }
  }
  for (TextOutput& out : outs) {
    if (!out.commit()) {
      std::printf("Cannot write POS output file: '%s'\n", out.path().c_str());
      return;
    }
  }
  if (readerError) {
    reportReaderError(tally, PgnError{readerError}, pgnPath);
    return;
  }
  reportFinished(tally, pgnPath);
}

void pgnToGame(const char* pgnPath, const char* gamePath) {
  GameOutput out;
  convertIntoGameFile(pgnPath, gamePath, out, true);
}

void pgnListToGame(const char* listPath, const char* gamePath) {
  TextInput list;
  if (!openPgnInput(list, listPath)) return;
  GameOutput out;
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
    const int before = out.added;
    const Step step = convertIntoGameFile(line.c_str(), gamePath, out, false);
    total += out.added - before;
    if (step == Step::Fail) return;
    if (step == Step::Stop) {
      out.place(gamePath);
      return;
    }
  }
  if (list.readError()) {
    std::printf("Cannot read PGN input file: '%s'\n", listPath);
    return;
  }
  if (!out.place(gamePath)) return;
  std::printf("\nCONVERTED GAMES: %d\n", total);
}

void gameToPgn(const char* gamePath, const char* pgnPath) {
  std::FILE* in = openGameInput(gamePath);
  if (in == nullptr) return;
  convertGameRecords(
      in, gamePath, pgnPath, "PGN",
      [](TextOutput& out) -> const char* {
        writePgnGame(out, Game);
        return nullptr;
      },
      "OK\n");
  std::fclose(in);
}

void gameToPos(const char* gamePath, const char* positionPath) {
  std::FILE* in = openGameInput(gamePath);
  if (in == nullptr) return;
  readFen(StartFen);
  convertGameRecords(
      in, gamePath, positionPath, "POS",
      [](TextOutput& out) -> const char* {
        // Records are replayed unchecked otherwise: refuse a move the position
        // does not allow rather than corrupt the board.
        if (!gameIsPlayable(Game)) return "MOVE NOT LEGAL";
        writePositionLines(out, Game);
        return nullptr;
      },
      "\tOK\n");
  std::fclose(in);
}
