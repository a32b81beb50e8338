#include "search/quiescence.h"

#include <utility>

#include "core/make_move.h"
#include "core/position.h"
#include "eval/evaluate.h"
#include "movegen/generators.h"
#include "movegen/legality.h"
#include "search/draw.h"
#include "search/ordering_tables.h"
#include "search/search_state.h"
#include "search/transposition.h"

namespace {

constexpr int16_t HashMoveOrder = 30000;
constexpr int16_t Killer1Bonus = 1500;
constexpr int16_t Killer2Bonus = 1000;

bool materialIsDrawn() {
  return Pos.totalMaterial < InsufficientMaterialUnits && Pos.pawnCount[0] + Pos.pawnCount[1] == 0;
}

}  // namespace

int quiescence(int q, int ply, int alpha, int beta) {
  PlyState& record = *CurrentPly;
  const Side side = Pos.side;
  record.bestMove = NoMoveYet;

  // 1. The table: every entry is deep enough for a capture search.
  if (probeIntoRecord(record)) {
    const int score = record.hashScore;
    switch (record.hashBound) {
      case ExactBound:
        record.bestMove = record.hashMove;
        return score;
      case LowerBound:
        if (score >= beta) {
          record.bestMove = record.hashMove;
          return score;
        }
        if (score > alpha && windowNarrowingAllowed(q)) alpha = score;
        break;
      default:
        if (score <= alpha) {
          record.bestMove = record.hashMove;
          return score;
        }
        if (score < beta && windowNarrowingAllowed(q)) beta = score;
        break;
    }
  }

  // 2. Check is looked for only where the side to move has been in check at
  //    an alpha-beta node of this path; elsewhere the node counts as quiet.
  MoveEntry* const start = listStartOf(&record);
  const bool watchChecks = InCheckCount[side] != 0;
  if (watchChecks) {
    computeCheckInfo(record.check);
  } else {
    record.check.checkers = 0;
  }
  const bool inCheck = record.check.checkers != 0;

  int bestScore = -IllegalScore;
  MoveEntry* end;
  if (inCheck) {
    end = MoveGenerators[side].evasions(start, record.check);
  } else {
    // 3. Stand pat: the side to move may decline every capture.
    const int standPat = Evaluate();
    bestScore = standPat;
    record.bestMove = StandPat;
    if (standPat > alpha && standPat >= beta) {
      record.listEnd = start;
      store(Pos.key, side, StandPat, standPat, 0, LowerBound);
      return standPat;
    }
    if (standPat > alpha) alpha = standPat;
    end = MoveGenerators[side].captures(start);
  }
  record.cursor = start;
  record.listEnd = end;
  if (end == start && !inCheck) return bestScore;

  savePlyState(record);

  // 4. Ordering marks for the table's move and the killers.
  for (MoveEntry* e = start; e < end; ++e) {
    if (e->move == record.hashMove) {
      e->score = HashMoveOrder;
    } else if (e->move == record.killer1) {
      e->score = static_cast<int16_t>(e->score + Killer1Bonus);
    } else if (e->move == record.killer2) {
      e->score = static_cast<int16_t>(e->score + Killer2Bonus);
    }
  }

  // 5. Best-first selection, one move at a time.
  int bound = UpperBound;
  for (MoveEntry* current = start; current < end; ++current) {
    MoveEntry* pick = current;
    for (MoveEntry* e = current + 1; e < end; ++e) {
      if (e->score > pick->score) pick = e;
    }
    std::swap(*current, *pick);
    record.cursor = current;
    const Move m = current->move;

    // A king can be taken: the previous move was illegal.
    const int to = moveTo(m);
    if (to == Pos.king[0] || to == Pos.king[1]) {
      store(Pos.key, side, m, IllegalScore, 0, ExactBound);
      return IllegalScore;
    }

    makeMove(m, record);
    ++MovesMade;
    int score;
    if (q <= QuiescenceDepthFloor || ply >= LastPly) {
      // The last record has no successor: score the position where it stands.
      score = -Evaluate();
    } else {
      ++CurrentPly;
      score = materialIsDrawn() ? 0 : -quiescence(q - 1, ply + 1, -beta, -alpha);
      --CurrentPly;
    }
    unmakeMove(m, record);
    current->score = static_cast<int16_t>(score);

    if (score > bestScore) {
      record.bestMove = m;
      bestScore = score;
      if (score > alpha) {
        if (score >= beta) {
          shiftKillers(record, m);
          store(Pos.key, side, m, score, 0, LowerBound);
          return score;
        }
        alpha = score;
        bound = ExactBound;
      }
    }
  }

  // 6. Results: mate, a check node, or an ordinary capture node.
  if (watchChecks && bestScore == -IllegalScore) {
    const int mated = ply - MateBase;
    store(Pos.key, side, Checkmated, mated, 0, ExactBound);
    return mated;
  }
  if (watchChecks && inCheck) {
    store(Pos.key, side, record.bestMove, bestScore, 1, bound);
    return bestScore;
  }
  if (record.bestMove != StandPat) store(Pos.key, side, record.bestMove, bestScore, 0, bound);
  return bestScore;
}
