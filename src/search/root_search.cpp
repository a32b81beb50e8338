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
int32_t tripleBudget() {
  const int64_t tripled = std::min<int64_t>(static_cast<int64_t>(MoveTimeBudget) * 3, INT32_MAX);
  const int32_t extra = static_cast<int32_t>(tripled - MoveTimeBudget);
  MoveTimeBudget += extra;
  return extra;
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
  if (probeIntoRecord(root)) {
    if (root.hashDepth >= depth) {
      const int score = root.hashScore;
      if (boundSettlesNode(root.hashBound, score, alpha, beta)) {
        if (root.hashMove == MoveBuffer[0].move) return score;
      } else if (AspirationState == 0) {
        narrowWindow(root.hashBound, score, alpha, beta);
      }
    }
  }

  // 2. The root list is generated once per search.
  int bestScore = -IllegalScore;
  int nodeBound = UpperBound;
  const bool inCheck = root.check.checkers != 0;
  MoveEntry* const start = MoveBuffer;
  if (root.listEnd == nullptr) {
    root.listEnd = generateMoves(start, root.check);
  }
  savePlyState(root);
  MoveEntry* const end = root.listEnd;

  // 3.
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

    // 5. The clock is read after every root move.
    if (StopSearch) return bestScore;
    if (depth > 2 && timeIsUp()) {
      StopSearch = true;
      return bestScore;
    }

    // 6.
    current->score = static_cast<int16_t>(score);
    if (score > -IllegalScore && score > FallbackScore) {
      FallbackMove = m;
      FallbackScore = score;
    }
    if (score > bestScore) {
      bestEntry = current;
      if (score > alpha) {
        if (score >= beta) {
          recordCutoff(root, selector.searchedBegin(), current, depth);
          store(Pos.key, side, m, score, depth, LowerBound);
          std::swap(*current, *start);
          return score;
        }
        alpha = score;
        nodeBound = ExactBound;
      }
      bestScore = score;
    }
  }

  // 7. No legal move: the root is mated or stalemated.
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

Move iterativeDeepening() {
  CurrentPly = PlyStack;
  PlyState& root = PlyStack[0];

  // 1. A root that is already drawn needs no search.
  SearchBestMove = 0;
  SearchBestScore = InitialBestScore;
  if (const Move draw = drawCheck(2)) {
    SearchBestMove = draw;
    SearchBestScore = 0;
    return draw;
  }

  // 2.
  NodeCount = 0;
  InCheckCount[0] = InCheckCount[1] = 0;
  MoveBuffer[0].move = 0;
  NextPollCount = PollInterval;
  root.listEnd = nullptr;
  AspirationState = 0;
  FallbackMove = 0;
  FallbackScore = -IllegalScore;
  int alpha = -FullWindow;
  int beta = FullWindow;
  IterationDepth = 2;

  // 3. Seed the window and the first depth from the table.
  if (const HashEntry* entry = probe(Pos.key, Pos.side)) {
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
  } else {
    EngineLog << "---------- brak hm na poczatku!!!\n";
  }

  // 4.
  char fen[96];
  writeFen(fen);
  EngineLog << "-FEN:\t" << fen << '\n';
  computeCheckInfo(root.check);

  // 5. Iterations.
  bool completed = false;
  int mateReports = 0;
  char variation[PrincipalVariationTextSize];
  while (IterationDepth <= MaxSearchDepth) {
    int32_t extraBudget = 0;
    int score = rootSearch(alpha, beta);
    if (!StopSearch && (score <= alpha || score >= beta)) {
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
    }

    // An interrupted iteration is discarded, even when the root completed it.
    if (StopSearch || (IterationDepth > 2 && timeIsUp())) {
      StopSearch = true;
      MoveTimeBudget -= extraBudget;
      break;
    }

    SearchBestMove = MoveBuffer[0].move;
    SearchBestScore = MoveBuffer[0].score;
    completed = true;
    MoveTimeBudget -= extraBudget;
    if (SearchBestMove == Stalemated) {
      EngineLog << "-----STALEMATED---\n";
      break;
    }

    if (PonderingSearch) EngineLog << "-PONDER:\n";
    principalVariationText(variation, std::min<int>(IterationDepth, PrincipalVariationMaxPlies));
    EngineLog << "-E: " << IterationDepth << ":\t" << score << '\t' << variation << std::endl;
    if (SearchReporter* reporter = searchReporter()) {
      reporter->iterationDone({IterationDepth, score,
                               static_cast<int32_t>(clockMs() - SearchStartClock), NodeCount,
                               variation});
    }

    if (score <= IterationDepth - MateBase || score >= MateBase - IterationDepth) {
      EngineLog << "--- MATE: " << score << '\n';
      if (++mateReports >= MateReportsToStop) break;
    }

    alpha = std::max(score - AspirationMargin, -FullWindow);
    beta = std::min(score + AspirationMargin, FullWindow);
    ++IterationDepth;
  }
  AspirationState = 0;
  CurrentPly = PlyStack;

  if (!completed) settleUnfinishedSearch();

  // 6.
  if (probe(Pos.key, Pos.side) == nullptr) {
    EngineLog << "**************************************************** WARNING "
                 "*****************************************************************\n";
  }
  EngineLog.flush();
  return SearchBestMove;
}

char* principalVariationText(char* buffer, int maxPlies) {
  maxPlies = std::min(maxPlies, PrincipalVariationMaxPlies);
  char* out = buffer;
  *out = '\0';
  if (maxPlies <= 0) return out;
  const HashEntry* entry = probe(Pos.key, Pos.side);
  if (entry == nullptr) return out + std::sprintf(out, "NOE ");
  const Move m = entry->move();
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
  switch (m) {
    case Checkmated:
      return out + std::sprintf(out, "# ");
    case Stalemated:
      return out + std::sprintf(out, "1/2 - 1/2 (stalemate)");
    case RepetitionDraw:
      return out + std::sprintf(out, "1/2 - 1/2 (repetition)");
    case NullMoveMarker:
      return out + std::sprintf(out, "NULL");
    default:
      out += std::sprintf(out, "ERROR: %x, d:%d, sc:%d, st:%d ts:%d", m, entry->depth(),
                          entry->score(), static_cast<int>(entry->word2 & 0x180), entry->age());
      printBoard(Pos.board);
      return out;
  }
}
