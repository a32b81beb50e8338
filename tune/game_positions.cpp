#include "game_positions.h"

#include <cstdint>
#include <unordered_set>

#include "core/make_move.h"
#include "core/position.h"
#include "game/game.h"
#include "labelled_position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"
#include "pgn_games.h"
#include "strong/exchange_threshold.h"
#include "strong/move_rules.h"
#include "strong/strong_eval.h"
#include "tools/pgn.h"

namespace {
std::unordered_set<uint64_t> SeenKeys;
PlyState Replay[MaxGamePlies + 1];
}  // namespace

bool quietEnoughToLearn() {
  if (sideToMoveInCheck()) return false;
  MoveEntry list[MaxMovesPerPosition];
  CheckInfo info;
  computeCheckInfo(info);
  const MoveEntry* end = generateMoves(list, info);
  for (const MoveEntry* e = list; e < end; ++e) {
    if (isNoisy(e->move) && exchangeAtLeast(e->move, 1) && leavesKingSafe(e->move)) return false;
  }
  EvalTrace trace;
  traceEvaluation(trace);
  return !trace.special;
}

void writeLabelledPosition(std::FILE* out, char result) {
  char fen[96];
  writeFen(fen);
  std::fprintf(out, "%s;%c\n", fen, result);
}

long writeGamePositions(const char* pgnPath, std::FILE* out) {
  long written = 0;
  const bool read = forEachPgnGame(pgnPath, [&](const GameRecord& game) {
    if (game.resultChar == '*') return;
    const int plies = game.plyCount();
    for (int ply = 0; ply < plies; ++ply) {
      const uint64_t key = Pos.key ^ static_cast<uint64_t>(Pos.side);
      if (SeenKeys.insert(key).second && quietEnoughToLearn()) {
        writeLabelledPosition(out, game.resultChar);
        ++written;
      }
      savePlyState(Replay[ply]);
      makeMove(game.moves[ply], Replay[ply]);
    }
  });
  return read ? written : -1;
}
