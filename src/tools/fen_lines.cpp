#include "tools/fen_lines.h"

#include <cstdio>

#include "core/file_io.h"
#include "core/make_move.h"
#include "core/position.h"
#include "tools/pgn.h"
#include "tools/text_input.h"
#include "tools/text_output.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr size_t FenLineSize = 128;

GameRecord Game;  // large: kept off the stack

// The positions of one replayed game; Pos is the start position again after.
long writeGame(TextOutput& out) {
  const int plies = Game.plyCount();
  char line[FenLineSize];
  for (int k = 0; k < plies; ++k) {
    savePlyState(ReplayStates[k]);
    makeMove(Game.moves[k], ReplayStates[k]);
    char* end = writeFen(line);
    end += std::snprintf(end, line + sizeof line - end, "\t%c\t%d\n", Game.resultChar, k + 1);
    out.write(line, static_cast<size_t>(end - line));
  }
  for (int k = plies - 1; k >= 0; --k) unmakeMove(Game.moves[k], ReplayStates[k]);
  return plies;
}

}  // namespace

void pgnToFen(const char* pgnPath, const char* outPath) {
  TextInput in;
  bool notRegular = false;
  if (!in.open(pgnPath, &notRegular)) {
    std::printf("Cannot open PGN input file: '%s'%s\n", pgnPath, openFailureNote(notRegular));
    return;
  }
  TextOutput out;
  if (!out.open(outPath, false)) {
    std::printf("Cannot create FEN output file: '%s'%s\n", outPath, out.note());
    return;
  }
  long games = 0;
  long positions = 0;
  const char* readerError = nullptr;
  readFen(StartFen);
  try {
    skipSpaceAndCommentLines(in);
    while (in.peek() != EOF) {
      if (readPgnGame(in, Game) != 0) {
        positions += writeGame(out);
        ++games;
      }
      skipSpaceAndCommentLines(in);
    }
  } catch (const PgnError& error) {
    readerError = error.text;
  }
  // The output is put in place only when every game was read and every
  // byte written; otherwise the file stays as it was.
  if (readerError != nullptr) {
    out.discard();
    std::printf("ERROR: %s file: %s\n", readerError, pgnPath);
    return;
  }
  if (in.readError()) {
    out.discard();
    std::printf("Cannot read PGN input file: '%s'\n", pgnPath);
    return;
  }
  if (!out.close() || !out.commit()) {
    std::printf("Cannot write FEN output file: '%s'\n", outPath);
    return;
  }
  std::printf("pgn2fen: %ld positions of %ld games into %s\n", positions, games, outPath);
}
