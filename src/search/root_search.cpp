#include "search/root_search.h"

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <utility>

#include "core/clock.h"
#include "core/log.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"
#include "search/alpha_beta.h"
#include "search/move_order.h"
#include "search/ordering_tables.h"
#include "search/quiescence.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/search_state.h"
#include "search/time_budget.h"
#include "search/transposition.h"

namespace {

constexpr int InitialBestScore = -9999;
constexpr int ReSearchCeiling = 8099;
constexpr int TimeTripleMinMovesToGo = 5;  // a fail low triples the budget from here on

// Best legal root move scored so far in this search, a fallback for a search
// stopped before its first iteration completes.
Move FallbackMove = 0;
int FallbackScore = -IllegalScore;

// A search that produced no completed iteration still has to leave a
// playable answer: the table's move if it is legal here, else the best root
// move scored so far, else the first legal move, else mate or stalemate.
void settleUnfinishedSearch() {
  if (isLegalMove(SearchBestMove)) return;
  if (FallbackMove != 0) {
    SearchBestMove = FallbackMove;
    SearchBestScore = static_cast<int16_t>(FallbackScore);
    return;
  }
  const Move first = firstLegalMove();
  if (first != 0) {
    SearchBestMove = first;
    SearchBestScore = 0;
    return;
  }
  const bool inCheck = sideToMoveInCheck();
  SearchBestMove = inCheck ? Checkmated : Stalemated;
  SearchBestScore = static_cast<int16_t>(inCheck ? -MateBase : 0);
}

// Raises the budget to three times its value for a fail-low re-search;
// returns what was added so that it can be taken back.
// Drops the moves the root move filter does not let through; returns the new end.
MoveEntry* keepAllowedRootMoves(MoveEntry* begin, MoveEntry* end) {
  MoveEntry* kept = begin;
  for (MoveEntry* e = begin; e < end; ++e) {
    if (rootMoveAllowed(e->move)) *kept++ = *e;
  }
  return kept;
}

int32_t tripleBudget() {
  const int64_t tripled = std::min<int64_t>(static_cast<int64_t>(MoveTimeBudget) * 3, INT32_MAX);
  const int32_t extra = static_cast<int32_t>(tripled - MoveTimeBudget);
  MoveTimeBudget += extra;
  return extra;
}

// Step 1 of the root, the table: it ends the root only with the move already
// at the front of the root list, so a first iteration always searches (the
// score stays in root.hashScore). Outside a re-search a bound may narrow the
// window.
bool tableEndsRoot(PlyState& root, int depth, int& alpha, int& beta) {
  if (!probeIntoRecord(root) || root.hashDepth < depth) return false;
  const int score = root.hashScore;
  if (boundSettlesNode(root.hashBound, score, alpha, beta)) {
    return root.hashMove == MoveBuffer[0].move;
  }
  if (AspirationState == 0) narrowWindow(root.hashBound, score, alpha, beta);
  return false;
}

// Step 2 of the root: the list is generated once per search and kept, with
// its scores, from one iteration to the next; the root move filter applies.
// Returns its end.
MoveEntry* rootMoveList(PlyState& root, MoveEntry* start) {
  if (root.listEnd == nullptr) {
    root.listEnd = keepAllowedRootMoves(start, generateMoves(start, root.check));
  }
  savePlyState(root);
  return root.listEnd;
}

// Step 4 of the root, one move at full depth: made, scored and taken back.
// No extension, reduction or null move here; after the first move a null
// window tries to show each move no better than alpha.
int searchRootMove(PlyState& root, Move m, Side side, int depth, int alpha, int beta,
                   int nodeBound) {
  ++NodeCount;
  makeMove(m, root);
  ++MovesMade;
  PlyState& child = *++CurrentPly;
  int score;
  if (kingLeftInCheck(m, side)) {
    score = -IllegalScore;
  } else if (drawCheck(2) != 0) {
    score = 0;
  } else {
    child.listEnd = nullptr;
    if (depth == 1) {
      score = -quiescence(0, 1, -beta, -alpha);
    } else if (nodeBound == UpperBound) {
      score = -alphaBeta(depth - 1, 1, -beta, -alpha, true);
    } else {
      score = -alphaBeta(depth - 1, 1, -alpha - 1, -alpha, true);
      if (alpha < score && score < beta) score = -alphaBeta(depth - 1, 1, -beta, -alpha, true);
    }
  }
  --CurrentPly;
  unmakeMove(m, root);
  return score;
}

// Step 5 of the root: the clock is read after every root move; true stops
// the search.
bool rootSearchStops(int depth) {
  if (StopSearch) return true;
  if (depth > 2 && timeIsUp()) {
    StopSearch = true;
    return true;
  }
  return false;
}

// Step 6 of the root, in part: the best legal move scored so far in this
// search becomes the fallback.
void keepFallback(Move m, int score) {
  if (score > -IllegalScore && score > FallbackScore) {
    FallbackMove = m;
    FallbackScore = score;
  }
}

// Step 6 of the root, a beta cutoff: the ordering tables learn the move, the
// table keeps its score as a lower bound and it moves to the front of the
// list.
int rootCutoff(PlyState& root, MoveEntry* searched, MoveEntry* current, MoveEntry* start, Move m,
               int score, int depth) {
  recordCutoff(root, searched, current, depth);
  store(Pos.key, Pos.side, m, score, depth, LowerBound);
  std::swap(*current, *start);
  return score;
}

// Step 7 of the root, its result: with no legal move the root is mated or
// stalemated and the list front holds that marker; otherwise the best move
// goes into the table and to the front of the list.
int storeRootResult(PlyState& root, MoveEntry* start, MoveEntry* bestEntry, int depth, bool inCheck,
                    int bestScore, int nodeBound) {
  const Side side = Pos.side;
  if (bestScore == -IllegalScore) {
    root.listEnd = nullptr;
    if (inCheck) {
      *start = MoveEntry{static_cast<int16_t>(-MateBase), Checkmated};
      store(Pos.key, side, Checkmated, -MateBase, depth, ExactBound);
      return -MateBase;
    }
    *start = MoveEntry{0, Stalemated};
    store(Pos.key, side, Stalemated, 0, depth, ExactBound);
    return 0;
  }
  store(Pos.key, side, bestEntry->move, bestScore, depth, nodeBound);
  std::swap(*bestEntry, *start);
  return bestScore;
}

// Step 2 of a search: counters, the root list, the re-search state and the
// fallback start afresh.
void resetSearchCounters(PlyState& root) {
  NodeCount = 0;
  InCheckCount[0] = InCheckCount[1] = 0;
  MoveBuffer[0].move = 0;
  NextPollCount = nextPollCount(0);
  root.listEnd = nullptr;
  AspirationState = 0;
  FallbackMove = 0;
  FallbackScore = -IllegalScore;
}

// Step 3 of a search: the table's entry for the root seeds the best move,
// the window and the first depth. A move that walks into a repetition or a
// mate score starts again at depth 2.
void seedFromTable(int& alpha, int& beta) {
  const HashEntry* entry = probe(Pos.key, Pos.side);
  if (entry == nullptr) {
    EngineLog << "---------- brak hm na poczatku!!!\n";
    return;
  }
  const Move hashMove = entry->move();
  const int score = entry->score();
  SearchBestMove = hashMove;
  SearchBestScore = static_cast<int16_t>(score);
  if (entry->depth() >= 2) {
    if (entry->bound() == ExactBound) {
      alpha = score - AspirationMargin;
      beta = score + AspirationMargin;
      IterationDepth = entry->depth();
    } else if (entry->bound() == LowerBound && score > -FullWindow) {
      alpha = score;
    } else if (entry->bound() == UpperBound && score < FullWindow) {
      beta = score;
    }
  }
  if (repetitionAfter(hashMove) > 0) {
    IterationDepth = 2;
    EngineLog << "---------- repetition after hash!!!\n";
  }
  if (alpha > MateScoreThreshold) {
    beta = FullWindow;
    IterationDepth = 2;
    EngineLog << "---------- mate score from hash!!! m:" << hashMove << '\n';
    if (alpha >= FullWindow) EngineLog << "------------------------- WARNING: " << alpha << '\n';
  }
}

// Step 5 of a search, one iteration: the root searched in the aspiration
// window. A score outside it is searched again with the window opened on
// that side (a fail low also triples the budget while enough moves remain;
// what was added is returned in `extraBudget`), and once more with the full
// window if that fails too.
int searchIteration(int alpha, int beta, int32_t& extraBudget) {
  int score = rootSearch(alpha, beta);
  if (StopSearch || (score > alpha && score < beta)) return score;
  int low;
  int high;
  if (score <= alpha) {
    AspirationState = -1;
    if (MovesToGo >= TimeTripleMinMovesToGo) extraBudget = tripleBudget();
    low = -FullWindow;
    high = score + 1;
  } else {
    AspirationState = 1;
    low = score - 1;
    high = ReSearchCeiling;
  }
  score = rootSearch(low, high);
  if (!StopSearch && (score <= low || score >= high))
    score = rootSearch(-FullWindow, ReSearchCeiling);
  AspirationState = 0;
  return score;
}

// Step 5 of a search, a completed iteration reported: the log line and the
// thinking output with its principal variation.
void reportIteration(int score) {
  char variation[PrincipalVariationTextSize];
  if (PonderingSearch) EngineLog << "-PONDER:\n";
  principalVariationText(variation, std::min<int>(IterationDepth, PrincipalVariationMaxPlies),
                         SearchBestMove);
  EngineLog << "-E: " << IterationDepth << ":\t" << score << '\t' << variation << std::endl;
  if (SearchReporter* reporter = searchReporter()) {
    reporter->iterationDone({IterationDepth, score,
                             static_cast<int32_t>(clockMs() - SearchStartClock), NodeCount,
                             variation});
  }
}

// Step 5 of a search, the iterations: each deeper one starts with a window
// around the last score. An interrupted iteration is discarded; a completed
// one sets the best move and score and is reported. The iterations end at
// the depth limit, at a stalemate, or after enough mate scores. True when at
// least one iteration completed.
bool runIterations(int alpha, int beta) {
  bool completed = false;
  int mateReports = 0;
  while (IterationDepth <= MaxSearchDepth) {
    int32_t extraBudget = 0;
    const int score = searchIteration(alpha, beta, extraBudget);

    // An interrupted iteration is discarded, even when the root completed it.
    if (StopSearch || (IterationDepth > 2 && timeIsUp()) || nodeLimitPassed()) {
      StopSearch = true;
      MoveTimeBudget -= extraBudget;
      break;
    }

    SearchBestMove = MoveBuffer[0].move;
    SearchBestScore = MoveBuffer[0].score;
    completed = true;
    MoveTimeBudget -= extraBudget;
    if (SearchBestMove == Stalemated && !DeepenToDepthLimit) {
      EngineLog << "-----STALEMATED---\n";
      break;
    }
    reportIteration(score);

    if (score <= IterationDepth - MateBase || score >= MateBase - IterationDepth) {
      EngineLog << "--- MATE: " << score << '\n';
      if (++mateReports >= MateReportsToStop && !DeepenToDepthLimit) break;
    }

    alpha = std::max(score - AspirationMargin, -FullWindow);
    beta = std::min(score + AspirationMargin, FullWindow);
    ++IterationDepth;
  }
  return completed;
}

}  // namespace

int rootSearch(int alpha, int beta) {
  PlyState& root = PlyStack[0];
  CurrentPly = &root;
  const int depth = IterationDepth;
  const Side side = Pos.side;
  root.bestMove = NoMoveYet;

  // 1. The table ends the root only with the move already at the front of
  //    the root list, so a first iteration always searches.
  if (tableEndsRoot(root, depth, alpha, beta)) return root.hashScore;

  // 2. The root list is generated once per search.
  int bestScore = -IllegalScore;
  int nodeBound = UpperBound;
  const bool inCheck = root.check.checkers != 0;
  MoveEntry* const start = MoveBuffer;
  MoveEntry* const end = rootMoveList(root, start);

  // 3. Ordering marks for the table's move and the killers.
  markOrdering(root, start, end);

  // 4. Every move at full depth; no extension, reduction or null move here.
  MoveSelector selector(root, start, end, HistoryTable[side]);
  MoveEntry* bestEntry = nullptr;
  while (MoveEntry* current = selector.next()) {
    const Move m = current->move;
    root.cursor = current;
    // A set-up position may leave the enemy king en prise. Taking it is no
    // move: below it the generators would move a king that is gone.
    if (moveTo(m) == Pos.king[side ^ 1]) {
      current->score = static_cast<int16_t>(-IllegalScore);
      continue;
    }
    const int score = searchRootMove(root, m, side, depth, alpha, beta, nodeBound);

    // 5. The clock is read after every root move.
    if (rootSearchStops(depth)) return bestScore;

    // 6. The score orders the move for the next iteration, may make it the
    //    fallback, and may raise alpha or cut off.
    current->score = static_cast<int16_t>(score);
    keepFallback(m, score);
    if (score <= bestScore) continue;
    bestEntry = current;
    if (score > alpha) {
      if (score >= beta)
        return rootCutoff(root, selector.searchedBegin(), current, start, m, score, depth);
      alpha = score;
      nodeBound = ExactBound;
    }
    bestScore = score;
  }

  // 7. No legal move: the root is mated or stalemated.
  return storeRootResult(root, start, bestEntry, depth, inCheck, bestScore, nodeBound);
}

Move iterativeDeepening() {
  CurrentPly = PlyStack;
  PlyState& root = PlyStack[0];

  // 1. A fresh start: counters and state reset, so that even a search that
  //    ends at once reports its own node count and no depth of the last one.
  resetSearchCounters(root);
  IterationDepth = 0;

  // 2. A root that is already drawn needs no search; else the full window
  //    and depth 2.
  SearchBestMove = 0;
  SearchBestScore = InitialBestScore;
  const Move draw = drawCheck(2);
  if (draw != 0 && (draw != RepetitionDraw || RootRepetitionEndsSearch)) {
    SearchBestMove = draw;
    SearchBestScore = 0;
    return draw;
  }
  int alpha = -FullWindow;
  int beta = FullWindow;
  IterationDepth = 2;

  // 3. Seed the window and the first depth from the table. A depth limit
  //    below the seeded depth still gets its one iteration.
  seedFromTable(alpha, beta);
  IterationDepth = std::max(1, std::min<int>(IterationDepth, MaxSearchDepth));

  // 4. The root position goes to the log; its check information is set.
  char fen[96];
  writeFen(fen);
  EngineLog << "-FEN:\t" << fen << '\n';
  computeCheckInfo(root.check);

  // 5. Iterations, deeper and deeper until the search stops.
  const bool completed = runIterations(alpha, beta);
  AspirationState = 0;
  CurrentPly = PlyStack;

  if (!completed) settleUnfinishedSearch();

  // 6. A root the table does not hold after the search is logged as a warning.
  if (probe(Pos.key, Pos.side) == nullptr) {
    EngineLog << "**************************************************** WARNING "
                 "*****************************************************************\n";
  }
  EngineLog.flush();
  return SearchBestMove;
}

Move currentRootMove(int& number) {
  const PlyState& root = PlyStack[0];
  number = 0;
  if (CurrentPly == PlyStack || root.listEnd == nullptr || root.cursor < MoveBuffer ||
      root.cursor >= root.listEnd || !isRealMove(root.cursor->move)) {
    return 0;
  }
  number = static_cast<int>(root.cursor - MoveBuffer) + 1;
  return root.cursor->move;
}

char* principalVariationText(char* buffer, int maxPlies, Move first) {
  maxPlies = std::min(maxPlies, PrincipalVariationMaxPlies);
  char* out = buffer;
  *out = '\0';
  if (maxPlies <= 0) return out;
  const HashEntry* entry = probe(Pos.key, Pos.side);
  // The table may keep a deeper entry of an earlier search for this
  // position, with another move than the one this search chose.
  if (!isRealMove(first) && entry == nullptr) return out;
  const Move m = isRealMove(first) ? first : entry->move();
  PlyState& record = *CurrentPly;
  // The walk never leaves the ply stack and plays only moves legal here: a
  // colliding key must not put a foreign move on the board.
  if (isRealMove(m) && CurrentPly < PlyStack + PlyStackSize - 1 && isLegalMove(m)) {
    out = moveToText(out, m);
    *out++ = ' ';
    *out = '\0';
    savePlyState(record);
    makeMove(m, record);
    ++CurrentPly;
    out = principalVariationText(out, maxPlies - 1);
    --CurrentPly;
    unmakeMove(m, record);
    return out;
  }
  // Result codes, the stand-pat and null-move markers and moves of another
  // position end the variation, which shows moves only.
  if (isRealMove(m) && entry != nullptr) {
    EngineLog << "-PV: move " << m << " not legal here ends the variation, d:" << entry->depth()
              << ", sc:" << entry->score() << ", bound:" << entry->bound() << '\n';
  }
  return out;
}
