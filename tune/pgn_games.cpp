#include "pgn_games.h"

#include <cstdint>

#include "core/position.h"
#include "game/game.h"
#include "tools/pgn.h"
#include "tools/text_input.h"

bool forEachPgnGame(const char* path, const std::function<void(const GameRecord&)>& visit) {
  TextInput in;
  if (!in.open(path)) return false;
  static GameRecord game;
  readFen(StartPositionFen);
  skipSpaceAndCommentLines(in);
  while (in.peek() != EOF) {
    uint16_t code = 0;
    try {
      code = readPgnGame(in, game);
    } catch (const PgnError&) {
      break;  // the reader cannot go on in this file
    }
    skipSpaceAndCommentLines(in);
    if (code == 0) continue;
    visit(game);
    readFen(StartPositionFen);
  }
  return true;
}
