// Legal moves of the game position, by generating the pseudo-legal moves and
// trying each on the board. Only the driver calls this, between searches, so
// the root record of the ply stack is free to serve as scratch.
#include "protocol/game_moves.h"

#include "core/make_move.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "movegen/generators.h"
#include "movegen/legality.h"
#include "movegen/move_list.h"

namespace {

MoveEntry Candidates[MaxMovesPerPosition];

// Pseudo-legal moves of the side to move into Candidates; returns the count.
// Leaves the check information in the root record.
int generateCandidates() {
  if (!positionIsSetUp()) return 0;
  PlyState& root = PlyStack[0];
  computeCheckInfo(root.check);
  const GeneratorSet& generators = MoveGenerators[Pos.side];
  MoveEntry* end = root.check.checkers ? generators.evasions(Candidates, root.check)
                                       : generators.all(Candidates);
  return static_cast<int>(end - Candidates);
}

// Makes the move, asks whether it leaves the own king attacked, takes it back.
bool survivesMaking(Move m) {
  if (!isRealMove(m)) return false;
  // A set-up position may leave the enemy king en prise; taking it is never
  // a move (played, it would leave a board without that king).
  if (moveTo(m) == Pos.king[Pos.side ^ 1]) return false;
  PlyState* saved = CurrentPly;
  CurrentPly = PlyStack;
  PlyState& record = PlyStack[0];
  int side = Pos.side;
  savePlyState(record);
  makeMove(m, record);
  bool legal = !kingLeftInCheck(m, side);
  unmakeMove(m, record);
  CurrentPly = saved;
  return legal;
}

}  // namespace

bool positionIsSetUp() {
  return Pos.king[Black] < 64 && Pos.king[White] < 64 &&
         Pos.board[Pos.king[Black]] == BlackKing && Pos.board[Pos.king[White]] == WhiteKing;
}

bool isLegalMove(Move m) {
  if (!isRealMove(m)) return false;
  int count = generateCandidates();
  for (int i = 0; i < count; ++i) {
    if (Candidates[i].move == m) return survivesMaking(m);
  }
  return false;
}

Move firstLegalMove() {
  int count = generateCandidates();
  for (int i = 0; i < count; ++i) {
    Move m = Candidates[i].move;
    if (survivesMaking(m)) return m;
  }
  return 0;
}

bool sideToMoveInCheck() {
  if (!positionIsSetUp()) return false;
  computeCheckInfo(PlyStack[0].check);
  return PlyStack[0].check.checkers != 0;
}
