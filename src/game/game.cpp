#include "game/game.h"

#include <cstdio>

#include "core/make_move.h"
#include "core/position.h"
#include "search/ordering_tables.h"
#include "search/search_state.h"
#include "tools/san.h"

Move BestTestMove = 0;
Move AvoidTestMove = 0;

bool setUpGame(const char* fen, SearchTables tables) {
  FenTestMove testMove{};
  if (!readFen(fen, &testMove, FenCheck::PlayableSetUp)) return false;
  if (tables == SearchTables::Clear) clearSearchTables();
  BestTestMove = 0;
  AvoidTestMove = 0;
  if (testMove.kind == 0) return true;
  const Move m = parseSanMove(testMove.text);
  (testMove.kind == 'b' ? BestTestMove : AvoidTestMove) = m;
  if (m == 0) {
    std::printf("Warning cannot recognize move: %s\r\n", testMove.text);
    return false;
  }
  return true;
}

bool playGameMove(Move m) {
  if (!makeGameMove(m)) return false;
  resetMoveOrderingTables();
  return true;
}
