// Legality by generation and trial: a move is legal when the generators list
// it and making it leaves the mover's king unattacked. The list and the
// record used for the trial are this file's own, so no caller's move list or
// ply record is touched.
#include "movegen/legal_moves.h"

#include "core/make_move.h"
#include "movegen/legality.h"

namespace {

MoveEntry Candidates[MaxMovesPerPosition];
PlyState TrialRecord;

// Pseudo-legal moves of the side to move into Candidates; returns the end.
MoveEntry* generateCandidates() {
  if (!positionIsSetUp()) return Candidates;
  CheckInfo info;
  computeCheckInfo(info);
  return generateMoves(Candidates, info);
}

bool listed(Move m, const MoveEntry* end) {
  for (const MoveEntry* e = Candidates; e < end; ++e) {
    if (e->move == m) return true;
  }
  return false;
}

}  // namespace

bool positionIsSetUp() {
  return Pos.king[Black] < 64 && Pos.king[White] < 64 && Pos.board[Pos.king[Black]] == BlackKing &&
         Pos.board[Pos.king[White]] == WhiteKing;
}

bool sideToMoveInCheck() {
  if (!positionIsSetUp()) return false;
  CheckInfo info;
  computeCheckInfo(info);
  return info.checkers != 0;
}

bool isGeneratedMove(Move m) { return isRealMove(m) && listed(m, generateCandidates()); }

bool leavesKingSafe(Move m) {
  if (!isRealMove(m)) return false;
  if (moveTo(m) == Pos.king[opposite(Pos.side)]) return false;
  const Side mover = Pos.side;
  savePlyState(TrialRecord);
  makeMove(m, TrialRecord);
  const bool safe = !kingLeftInCheck(m, mover);
  unmakeMove(m, TrialRecord);
  return safe;
}

bool isLegalMove(Move m) { return isGeneratedMove(m) && leavesKingSafe(m); }

Move firstLegalMove() {
  const MoveEntry* end = generateCandidates();
  for (const MoveEntry* e = Candidates; e < end; ++e) {
    if (leavesKingSafe(e->move)) return e->move;
  }
  return 0;
}
