// Arbitrary text through the PGN reader, game after game as the converters
// read it. Every return and every error must leave the start position in
// place, and every finished game must replay legally from it.
#include <cstring>

#include "core/position.h"
#include "fuzz_support.h"
#include "tools/game_file.h"
#include "tools/pgn.h"
#include "tools/text_input.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

GameRecord Game;

bool atStart(const PieceCode* board, uint64_t key) {
  return std::memcmp(board, Pos.board, sizeof Pos.board) == 0 && key == Pos.key &&
         Pos.side == White && positionIsConsistent();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  // Set up once; a set-up clears the large hash tables.
  static Position Start;
  static bool ready = false;
  if (!ready) {
    fuzzCheck(readFen(StartFen), "start position refused");
    Start = Pos;
    ready = true;
  }
  Pos = Start;
  PieceCode startBoard[64];
  std::memcpy(startBoard, Pos.board, sizeof startBoard);
  const uint64_t startKey = Pos.key;

  TextInput in;
  in.openText(std::string(reinterpret_cast<const char*>(data), size));
  in.skipWhitespace();
  // Every game read consumes at least one byte, so more reads than bytes
  // means the reader stopped making progress.
  size_t games = 0;
  while (in.peek() != EOF) {
    fuzzCheck(++games <= size + 1, "PGN reader makes no progress");
    uint16_t result = 0;
    try {
      result = readPgnGame(in, Game);
    } catch (const PgnError& error) {
      fuzzCheck(error.text != nullptr && error.text[0] != '\0', "PGN error without a text");
      fuzzCheck(atStart(startBoard, startKey), "PGN error left moves on the board");
      return 0;
    }
    fuzzCheck(atStart(startBoard, startKey), "PGN game left moves on the board");
    if (result != 0) {
      fuzzCheck(Game.plyCount() >= 1 && Game.plyCount() <= MaxGamePlies, "ply count out of range");
      fuzzCheck(Game.resultCode() == result, "result code differs from the header");
      fuzzCheck(gameIsPlayable(Game, MaxGamePlies), "a finished game does not replay legally");
    }
    in.skipWhitespace();
  }
  return 0;
}
