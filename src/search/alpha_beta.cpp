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
// The front end's progress output comes from here too.
bool pollSaysStop() {
  if (StopSearch) return true;
  searchProgress();
  if ((IterationDepth > 2 && timeIsUp()) || nodeLimitPassed()) {
    StopSearch = true;
    return true;
  }
  if (inputPending() && inputEndsSearch()) {
    StopSearch = true;
    return true;
  }
  NextPollCount = nextPollCount(NextPollCount);
  return false;
}

// What the move loop of a node needs to know about the node itself.
struct NodeFacts {
  int depth;
  int ply;
  Side side;
  bool inCheck;
  int checkExtension;
};

// Step 1, the table: a deep enough entry ends the node (its score stays in
// record.hashScore) unless its move would walk into a repetition; otherwise
// its bound may narrow the window.
[[gnu::always_inline]] inline bool tableEndsNode(PlyState& record, int depth, int& alpha,
                                                 int& beta) {
  if (!probeIntoRecord(record) || record.hashDepth < depth) return false;
  const int score = record.hashScore;
  if (boundSettlesNode(record.hashBound, score, alpha, beta)) {
    if (repetitionAfter(record.hashMove) != 0) return false;
    record.bestMove = record.hashMove;
    return true;
  }
  if (windowNarrowingAllowed(depth)) narrowWindow(record.hashBound, score, alpha, beta);
  return false;
}

// Step 3, the null move: the opponent gets a free move, searched shallower;
// if that still fails high the node ends with that score, as it does (with
// -IllegalScore) when the clock stops the search meanwhile. Not tried
// without pieces, nor when the table already says the reduced search would
// fail low.
[[gnu::always_inline]] inline bool nullMoveEndsNode(PlyState& record, MoveEntry* start, int depth,
                                                    int ply, int beta, int& result) {
  const int pieceMaterial = Pos.pieceMaterial[Pos.side];
  if (pieceMaterial == 0) return false;
  const int reduction = depth >= NullDeepFromDepth && pieceMaterial >= NullDeepMaterial
                            ? NullReductionDeep
                            : NullReductionShallow;
  const bool tableSaysLow = record.hashDepth > 0 && record.hashDepth >= depth - reduction - 1 &&
                            record.hashScore < beta &&
                            (record.hashBound == ExactBound || record.hashBound == UpperBound);
  if (tableSaysLow) return false;
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
    if (StopSearch || (IterationDepth > 2 && timeIsUp())) {
      StopSearch = true;
      result = -IllegalScore;
      return true;
    }
  }
  if (score < beta) return false;
  result = score;
  return true;
}

// Steps 6-7, the move list: generated unless the iterative deepening of
// step 4 left one, then the table's move and the killers marked for ordering.
// Returns the end of the list.
[[gnu::always_inline]] inline MoveEntry* orderedMoveList(PlyState& record, MoveEntry* start) {
  // 6. The moves.
  if (record.listEnd == nullptr) record.listEnd = generateMoves(start, record.check);
  savePlyState(record);
  MoveEntry* const end = record.listEnd;
  // 7. Ordering marks.
  markOrdering(record, start, end);
  return end;
}

// Step 8, the score of a legal, undrawn move already made: a late move whose
// piece and destination rarely refuted anything is searched one ply
// shallower first and again at full depth if it beats alpha; after the first
// move a null window tries to show each move no better than alpha, with a
// full re-search when it lands inside the window.
[[gnu::always_inline]] inline int scoreMadeMove(PlyState& child, const NodeFacts& node,
                                                PieceCode piece, int to, int alpha, int beta,
                                                int nodeBound, int& searchedMoves) {
  const int depth = node.depth;
  const int ply = node.ply;
  child.reduced = false;
  int extension = node.checkExtension;
  if (depth >= ReductionMinDepth && searchedMoves >= ReductionAfterMoves &&
      node.checkExtension == 0 && !node.inCheck && worthReducing(piece, to)) {
    child.reduced = true;
    extension = -1;
  }
  ++searchedMoves;
  child.listEnd = nullptr;
  const int newDepth = depth + extension - 1;
  int score;
  if (depth + extension <= 1 || ply >= LastAlphaBetaPly) {
    score = -quiescence(0, ply + 1, -beta, -alpha);
  } else if (nodeBound == UpperBound) {
    score = -alphaBeta(newDepth, ply + 1, -beta, -alpha, true);
  } else {
    score = -alphaBeta(newDepth, ply + 1, -alpha - 1, -alpha, true);
    if (alpha < score && score < beta) score = -alphaBeta(newDepth, ply + 1, -beta, -alpha, true);
  }
  if (child.reduced && score > alpha) score = -alphaBeta(depth - 1, ply + 1, -beta, -alpha, true);
  child.reduced = false;
  return score;
}

// Step 8, one move: made, scored and taken back. A move that leaves the
// king in check scores -IllegalScore, one that draws scores 0.
[[gnu::always_inline]] inline int searchMove(PlyState& record, Move m, const NodeFacts& node,
                                             int alpha, int beta, int nodeBound,
                                             int& searchedMoves) {
  const PieceCode piece = Pos.board[moveFrom(m)];
  ++NodeCount;
  makeMove(m, record);
  ++MovesMade;
  PlyState& child = *++CurrentPly;
  int score;
  if (kingLeftInCheck(m, node.side)) {
    score = -IllegalScore;
  } else if (drawCheck(1) != 0) {
    score = 0;
  } else {
    score = scoreMadeMove(child, node, piece, moveTo(m), alpha, beta, nodeBound, searchedMoves);
  }
  --CurrentPly;
  unmakeMove(m, record);
  return score;
}

// Step 10, beta cutoff: the move refutes the node. The ordering tables learn
// it (and the moves searched before it) and the table keeps its score as a
// lower bound.
[[gnu::always_inline]] inline int betaCutoff(PlyState& record, const NodeFacts& node,
                                             MoveEntry* searched, MoveEntry* current, Move m,
                                             int score) {
  if (node.inCheck) --InCheckCount[node.side];
  recordCutoff(record, searched, current, node.depth);
  store(Pos.key, node.side, m, score, node.depth, LowerBound);
  return score;
}

// Step 11, the node's result stored in the table: mated (scored by distance
// from the root) or stalemate when no move was legal, else the best score
// under the bound the node reached.
[[gnu::always_inline]] inline int storeNodeResult(const PlyState& record, const NodeFacts& node,
                                                  int bestScore, int nodeBound) {
  const Side side = node.side;
  if (bestScore == -IllegalScore) {
    if (node.inCheck) {
      const int mated = node.ply - MateBase;
      store(Pos.key, side, Checkmated, mated, node.depth, ExactBound);
      return mated;
    }
    store(Pos.key, side, Stalemated, 0, node.depth, ExactBound);
    return 0;
  }
  store(Pos.key, side, record.bestMove, bestScore, node.depth, nodeBound);
  return bestScore;
}

}  // namespace

int alphaBeta(int depth, int ply, int alpha, int beta, bool nullAllowed) {
  // The ply stack ends a few records above the last alpha-beta ply; beyond
  // it (null moves and re-searches can step past) only captures are searched.
  if (ply > LastAlphaBetaPly) return quiescence(0, ply, alpha, beta);

  PlyState& record = *CurrentPly;
  const Side side = Pos.side;
  record.bestMove = NoMoveYet;

  // 1. Table: a deep enough entry may end the node or narrow the window.
  if (tableEndsNode(record, depth, alpha, beta)) return record.hashScore;

  // 2. Check information; the node starts as an upper bound.
  int bestScore = -IllegalScore;
  int nodeBound = UpperBound;
  computeCheckInfo(record.check);
  const bool inCheck = record.check.checkers != 0;
  MoveEntry* const start = listStartOf(&record);

  // 3. Null move: if a free move for the opponent still fails high, the node
  //    is not worth a full search.
  int nullScore;
  if (nullAllowed && !inCheck && nullMoveEndsNode(record, start, depth, ply, beta, nullScore))
    return nullScore;

  // 4. Internal iterative deepening finds a move to try first; its list and
  //    scores stay in the record for the search below.
  if (record.hashDepth < depth - IterativeDeepeningGap) {
    alphaBeta(depth - IterativeDeepeningGap, ply, alpha, beta, nullAllowed);
    if (const HashEntry* entry = probe(Pos.key, side)) record.hashMove = entry->move();
  }

  // 5. A side checked again on the same path earns an extension.
  const int checkExtension = inCheck && InCheckCount[side]++ > 0 ? 1 : 0;
  const NodeFacts node{depth, ply, side, inCheck, checkExtension};

  // 6-7. The move list, ordered.
  MoveEntry* const end = orderedMoveList(record, start);

  // 8. Move loop.
  MoveSelector selector(record, start, end, HistoryTable[side]);
  int searchedMoves = 0;
  while (MoveEntry* current = selector.next()) {
    const Move m = current->move;
    record.cursor = current;
    const int score = searchMove(record, m, node, alpha, beta, nodeBound, searchedMoves);
    if (NodeCount > NextPollCount && pollSaysStop()) {
      if (inCheck) --InCheckCount[side];
      return bestScore;
    }
    current->score = static_cast<int16_t>(score);
    if (score <= bestScore) continue;
    record.bestMove = m;
    if (score > alpha) {
      if (score >= beta) {
        // 10. Beta cutoff.
        return betaCutoff(record, node, selector.searchedBegin(), current, m, score);
      }
      alpha = score;
      nodeBound = ExactBound;
    }
    bestScore = score;
  }

  // 11. No legal move: mated or stalemate; else the best move and its bound.
  if (inCheck) --InCheckCount[side];
  return storeNodeResult(record, node, bestScore, nodeBound);
}
