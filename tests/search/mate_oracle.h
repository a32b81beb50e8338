// Plain full-width mate finder, independent of the search: it answers
// whether the side to move mates within n of its moves, trying every legal
// move and reply. Used to confirm the mate positions the search must solve.
#pragma once

#include <vector>

#include "core/make_move.h"
#include "core/position.h"
#include "movegen/generators.h"
#include "movegen/legality.h"

namespace mate_oracle {

constexpr int OracleMaxPlies = 8;
inline PlyState OracleRecords[OracleMaxPlies];
inline MoveEntry OracleLists[OracleMaxPlies][MaxMovesPerPosition];

inline std::vector<Move> legalMoves(int ply) {
  std::vector<Move> moves;
  MoveEntry* end = MoveGenerators[Pos.side].all(OracleLists[ply]);
  const Side side = Pos.side;
  for (MoveEntry* e = OracleLists[ply]; e < end; ++e) {
    const int to = moveTo(e->move);
    if (to == Pos.king[0] || to == Pos.king[1]) continue;
    PlyState& r = OracleRecords[ply];
    savePlyState(r);
    makeMove(e->move, r);
    if (!kingLeftInCheck(e->move, side)) moves.push_back(e->move);
    unmakeMove(e->move, r);
  }
  return moves;
}

inline bool sideToMoveInCheck() {
  CheckInfo info;
  computeCheckInfo(info);
  return info.checkers != 0;
}

inline bool mates(int n, int ply);

// The side to move (the defender) is mated now or within n - 1 more attacker moves.
inline bool isLost(int n, int ply) {
  const std::vector<Move> replies = legalMoves(ply);
  if (replies.empty()) return sideToMoveInCheck();
  if (n <= 1) return false;
  PlyState& r = OracleRecords[ply];
  for (Move m : replies) {
    savePlyState(r);
    makeMove(m, r);
    const bool lost = mates(n - 1, ply + 1);
    unmakeMove(m, r);
    if (!lost) return false;
  }
  return true;
}

inline bool mates(int n, int ply) {
  PlyState& r = OracleRecords[ply];
  for (Move m : legalMoves(ply)) {
    savePlyState(r);
    makeMove(m, r);
    const bool won = isLost(n, ply + 1);
    unmakeMove(m, r);
    if (won) return true;
  }
  return false;
}

}  // namespace mate_oracle

inline int shortestMate(int maxMoves) {
  using namespace mate_oracle;
  for (int n = 1; n <= maxMoves && 2 * n <= OracleMaxPlies; ++n) {
    if (mates(n, 0)) return n;
  }
  return 0;
}
