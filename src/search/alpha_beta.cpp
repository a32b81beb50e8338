#include "search/alpha_beta.h"

#include "core/input_poll.h"
#include "core/make_move.h"
#include "core/position.h"
#include "movegen/generators.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"
#include "search/move_order.h"
#include "search/ordering_tables.h"
#include "search/quiescence.h"
#include "search/search_control.h"
#include "search/search_state.h"
#include "search/transposition.h"

namespace {

constexpr int NullReductionDeep = 3;
constexpr int NullReductionShallow = 2;
constexpr int NullDeepFromDepth = 7;  // depth at which the larger reduction may apply
constexpr int NullDeepMaterial = 9;   // piece material needed for it (a queen's worth)
constexpr int ReductionMinDepth = 3;
constexpr int ReductionAfterMoves = 3;
constexpr uint64_t ReductionCutoffPercent = 60;
constexpr int IterativeDeepeningGap = 2;

// Late moves whose piece and destination rarely refuted anything are
// searched one ply shallower first.
bool worthReducing(PieceCode piece, int to) {
  const uint64_t tried = CutoffStatistics.tried[piece][to];
  // A quartered counter can reach 0; treat it like a fresh one.
  if (tried <= 1) return true;
  return CutoffStatistics.cutoffs[piece][to] * 100 / tried < ReductionCutoffPercent;
}

// The clock and input check done every PollInterval nodes; true means stop.
bool pollSaysStop() {
  if (StopSearch) return true;
  if (IterationDepth > 2 && timeIsUp()) {
    StopSearch = true;
    return true;
  }
  if (inputPending()) {
    StopSearch = true;
    return true;
  }
  NextPollCount += PollInterval;
  return false;
}

}  // namespace

int alphaBeta(int depth, int ply, int alpha, int beta, bool nullAllowed) {
  // The ply stack ends a few records above the last alpha-beta ply; beyond
  // it (null moves and re-searches can step past) only captures are searched.
  if (ply > LastAlphaBetaPly) return quiescence(0, ply, alpha, beta);

  PlyState& record = *CurrentPly;
  const Side side = Pos.side;
  record.bestMove = NoMoveYet;

  // 1. Table: a deep enough entry ends the node unless its move would walk
  //    into a repetition; otherwise bounds may narrow the window.
  if (probeIntoRecord(record)) {
    if (record.hashDepth >= depth) {
      const int score = record.hashScore;
      if (boundSettlesNode(record.hashBound, score, alpha, beta)) {
        if (repetitionAfter(record.hashMove) == 0) {
          record.bestMove = record.hashMove;
          return score;
        }
      } else if (windowNarrowingAllowed(depth)) {
        narrowWindow(record.hashBound, score, alpha, beta);
      }
    }
  }

  // 2. Check information; the node starts as an upper bound.
  int bestScore = -IllegalScore;
  int nodeBound = UpperBound;
  int checkExtension = 0;
  computeCheckInfo(record.check);
  const bool inCheck = record.check.checkers != 0;
  const int pieceMaterial = Pos.pieceMaterial[side];
  MoveEntry* const start = listStartOf(&record);

  // 3. Null move: give the opponent a free move; if that still fails high
  //    the node is not worth a full search.
  if (nullAllowed && !inCheck && pieceMaterial != 0) {
    const int reduction = depth >= NullDeepFromDepth && pieceMaterial >= NullDeepMaterial
                              ? NullReductionDeep
                              : NullReductionShallow;
    const bool tableSaysLow = record.hashDepth > 0 && record.hashDepth >= depth - reduction - 1 &&
                              record.hashScore < beta &&
                              (record.hashBound == ExactBound || record.hashBound == UpperBound);
    if (!tableSaysLow) {
      // The ply's one-entry list reads as the null move.
      start->move = NullMoveMarker;
      start->score = 0;
      record.cursor = start;
      record.listEnd = start + 1;
      makeNullMove(record);
      PlyState& child = *++CurrentPly;
      child.listEnd = nullptr;
      int score;
      if (depth > reduction + 1) {
        score = -alphaBeta(depth - reduction - 1, ply + 1, -beta, -beta + 1, false);
      } else {
        score = -quiescence(0, ply + 1, -beta, -beta + 1);
      }
      --CurrentPly;
      unmakeNullMove(record);
      record.listEnd = nullptr;
      if (NodeCount > NextPollCount) {
        if (StopSearch) return -IllegalScore;
        if (IterationDepth > 2 && timeIsUp()) {
          StopSearch = true;
          return -IllegalScore;
        }
      }
      if (score >= beta) return score;
    }
  }

  // 4. Internal iterative deepening finds a move to try first; its list and
  //    scores stay in the record for the search below.
  if (record.hashDepth < depth - IterativeDeepeningGap) {
    alphaBeta(depth - IterativeDeepeningGap, ply, alpha, beta, nullAllowed);
    if (const HashEntry* entry = probe(Pos.key, side)) record.hashMove = entry->move();
  }

  // 5. A side checked again on the same path earns an extension.
  if (inCheck && InCheckCount[side]++ > 0) checkExtension = 1;

  // 6.
  if (record.listEnd == nullptr) {
    record.listEnd = generateMoves(start, record.check);
  }
  savePlyState(record);
  MoveEntry* const end = record.listEnd;

  // 7.
  markOrdering(record, start, end);

  // 8. Move loop.
  MoveSelector selector(record, start, end, HistoryTable[side]);
  int searchedMoves = 0;
  while (MoveEntry* current = selector.next()) {
    const Move m = current->move;
    record.cursor = current;
    const PieceCode piece = Pos.board[moveFrom(m)];

    ++NodeCount;
    makeMove(m, record);
    ++MovesMade;
    PlyState& child = *++CurrentPly;
    int score;
    if (kingLeftInCheck(m, side)) {
      score = -IllegalScore;
    } else if (drawCheck(1) != 0) {
      score = 0;
    } else {
      child.reduced = false;
      int extension = checkExtension;
      if (depth >= ReductionMinDepth && searchedMoves >= ReductionAfterMoves &&
          checkExtension == 0 && !inCheck && worthReducing(piece, moveTo(m))) {
        child.reduced = true;
        extension = -1;
      }
      ++searchedMoves;
      child.listEnd = nullptr;
      const int newDepth = depth + extension - 1;
      if (depth + extension <= 1 || ply >= LastAlphaBetaPly) {
        score = -quiescence(0, ply + 1, -beta, -alpha);
      } else if (nodeBound == UpperBound) {
        score = -alphaBeta(newDepth, ply + 1, -beta, -alpha, true);
      } else {
        score = -alphaBeta(newDepth, ply + 1, -alpha - 1, -alpha, true);
        if (alpha < score && score < beta)
          score = -alphaBeta(newDepth, ply + 1, -beta, -alpha, true);
      }
      if (child.reduced && score > alpha)
        score = -alphaBeta(depth - 1, ply + 1, -beta, -alpha, true);
      child.reduced = false;
    }
    --CurrentPly;
    unmakeMove(m, record);

    if (NodeCount > NextPollCount && pollSaysStop()) {
      if (inCheck) --InCheckCount[side];
      return bestScore;
    }

    current->score = static_cast<int16_t>(score);
    if (score > bestScore) {
      record.bestMove = m;
      if (score > alpha) {
        if (score >= beta) {
          // 10. Beta cutoff.
          if (inCheck) --InCheckCount[side];
          recordCutoff(record, selector.searchedBegin(), current, depth);
          store(Pos.key, side, m, score, depth, LowerBound);
          return score;
        }
        alpha = score;
        nodeBound = ExactBound;
      }
      bestScore = score;
    }
  }

  // 11. No legal move: mated (scored by distance from the root) or stalemate.
  if (inCheck) --InCheckCount[side];
  if (bestScore == -IllegalScore) {
    if (inCheck) {
      const int mated = ply - MateBase;
      store(Pos.key, side, Checkmated, mated, depth, ExactBound);
      return mated;
    }
    store(Pos.key, side, Stalemated, 0, depth, ExactBound);
    return 0;
  }
  store(Pos.key, side, record.bestMove, bestScore, depth, nodeBound);
  return bestScore;
}
