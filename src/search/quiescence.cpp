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

// Step 1, the table: every entry is deep enough for a capture search. An
// exact entry, or a bound outside the window, ends the node (its score stays
// in record.hashScore); a bound inside the window may narrow it.
[[gnu::always_inline]] inline bool tableEndsNode(PlyState& record, int q, int& alpha, int& beta) {
  if (!probeIntoRecord(record)) return false;
  const int score = record.hashScore;
  switch (record.hashBound) {
    case ExactBound:
      record.bestMove = record.hashMove;
      return true;
    case LowerBound:
      if (score >= beta) {
        record.bestMove = record.hashMove;
        return true;
      }
      if (score > alpha && windowNarrowingAllowed(q)) alpha = score;
      return false;
    default:
      if (score <= alpha) {
        record.bestMove = record.hashMove;
        return true;
      }
      if (score < beta && windowNarrowingAllowed(q)) beta = score;
      return false;
  }
}

// Step 2: check is looked for only where the side to move has been in check
// at an alpha-beta node of this path; elsewhere the node counts as quiet.
// True when it is looked for.
[[gnu::always_inline]] inline bool lookForCheck(PlyState& record, Side side) {
  const bool watchChecks = InCheckCount[side] != 0;
  if (watchChecks) {
    computeCheckInfo(record.check);
  } else {
    record.check.checkers = 0;
  }
  return watchChecks;
}

// Step 3, stand pat: the side to move may decline every capture, so the
// static score is the best score so far. True when it alone fails high: the
// node ends with it, stored as a lower bound.
[[gnu::always_inline]] inline bool standPatEndsNode(PlyState& record, MoveEntry* start, Side side,
                                                    int& alpha, int beta, int& bestScore) {
  const int standPat = Evaluate();
  bestScore = standPat;
  record.bestMove = StandPat;
  if (standPat > alpha && standPat >= beta) {
    record.listEnd = start;
    store(Pos.key, side, StandPat, standPat, 0, LowerBound);
    return true;
  }
  if (standPat > alpha) alpha = standPat;
  return false;
}

// Step 4, ordering marks: the table's move first, the killers raised.
[[gnu::always_inline]] inline void markCaptureOrdering(const PlyState& record, MoveEntry* start,
                                                       MoveEntry* end) {
  for (MoveEntry* e = start; e < end; ++e) {
    if (e->move == record.hashMove) {
      e->score = HashMoveOrder;
    } else if (e->move == record.killer1) {
      e->score = static_cast<int16_t>(e->score + Killer1Bonus);
    } else if (e->move == record.killer2) {
      e->score = static_cast<int16_t>(e->score + Killer2Bonus);
    }
  }
}

// Step 5, best-first selection: the best-scored entry of [current, end)
// swapped into `current`.
[[gnu::always_inline]] inline void bringBestForward(MoveEntry* current, MoveEntry* end) {
  MoveEntry* pick = current;
  for (MoveEntry* e = current + 1; e < end; ++e) {
    if (e->score > pick->score) pick = e;
  }
  std::swap(*current, *pick);
}

// Step 5, one move: made, scored one ply deeper and taken back.
[[gnu::always_inline]] inline int searchCapture(PlyState& record, Move m, int q, int ply, int alpha,
                                                int beta) {
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
  return score;
}

// Step 5, a cutoff: the move becomes a killer and the table keeps its score
// as a lower bound.
[[gnu::always_inline]] inline int captureCutoff(PlyState& record, Side side, Move m, int score) {
  shiftKillers(record, m);
  store(Pos.key, side, m, score, 0, LowerBound);
  return score;
}

// Step 6, results: mate when a watched side found no legal move, a check
// node stored one ply deep, or an ordinary capture node (a stand-pat result
// is not stored).
[[gnu::always_inline]] inline int storeNodeResult(const PlyState& record, Side side, int ply,
                                                  bool watchChecks, bool inCheck, int bestScore,
                                                  int bound) {
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

}  // namespace

int quiescence(int q, int ply, int alpha, int beta) {
  PlyState& record = *CurrentPly;
  const Side side = Pos.side;
  record.bestMove = NoMoveYet;

  // 1. The table: every entry is deep enough for a capture search.
  if (tableEndsNode(record, q, alpha, beta)) return record.hashScore;

  // 2. Check is looked for only where the side to move has been in check at
  //    an alpha-beta node of this path; elsewhere the node counts as quiet.
  MoveEntry* const start = listStartOf(&record);
  const bool watchChecks = lookForCheck(record, side);
  const bool inCheck = record.check.checkers != 0;

  int bestScore = -IllegalScore;
  MoveEntry* end;
  if (inCheck) {
    end = MoveGenerators[side].evasions(start, record.check);
  } else {
    // 3. Stand pat: the side to move may decline every capture.
    if (standPatEndsNode(record, start, side, alpha, beta, bestScore)) return bestScore;
    end = MoveGenerators[side].captures(start);
  }
  record.cursor = start;
  record.listEnd = end;
  if (end == start && !inCheck) return bestScore;

  savePlyState(record);

  // 4. Ordering marks for the table's move and the killers.
  markCaptureOrdering(record, start, end);

  // 5. Best-first selection, one move at a time.
  int bound = UpperBound;
  for (MoveEntry* current = start; current < end; ++current) {
    bringBestForward(current, end);
    record.cursor = current;
    const Move m = current->move;
    // A king can be taken: the previous move was illegal.
    const int to = moveTo(m);
    if (to == Pos.king[0] || to == Pos.king[1]) {
      store(Pos.key, side, m, IllegalScore, 0, ExactBound);
      return IllegalScore;
    }
    const int score = searchCapture(record, m, q, ply, alpha, beta);
    current->score = static_cast<int16_t>(score);
    if (score <= bestScore) continue;
    record.bestMove = m;
    bestScore = score;
    if (score > alpha) {
      if (score >= beta) return captureCutoff(record, side, m, score);
      alpha = score;
      bound = ExactBound;
    }
  }

  // 6. Results: mate, a check node, or an ordinary capture node.
  return storeNodeResult(record, side, ply, watchChecks, inCheck, bestScore, bound);
}
