// Node layout: a stack of frames, one per ply, with four frames below the
// root so that the continuation histories of the moves one, two and four
// plies back can always be read. Scores are centipawns from the side to
// move's view; mate scores count plies from the root.
#include "strong/strong_search.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/clock.h"
#include "core/input_poll.h"
#include "core/log.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/null_move.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/search_state.h"
#include "search/time_budget.h"
#include "search/transposition.h"
#include "strong/board_view.h"
#include "strong/exchange_threshold.h"
#include "strong/history_tables.h"
#include "strong/kpk.h"
#include "strong/move_picker.h"
#include "strong/move_rules.h"
#include "strong/rays.h"
#include "strong/strong_eval.h"
#include "strong/strong_limits.h"
#include "strong/strong_table.h"
#include "strong/time_plan.h"

namespace {

// ---- Settings ---------------------------------------------------------------

constexpr int FramesBelowRoot = 4;
constexpr uint64_t BlackToMoveKey = 0x9D39247E33776D41ULL;
constexpr uint64_t ExcludedMoveKey = 0xC3A5C85C97CB3127ULL;
constexpr uint64_t PollMask = 2047;  // nodes between looks at the clock and the input
constexpr int MaxQuietsKept = 64;
constexpr int MaxCapturesKept = 32;
constexpr int AspirationMinDepth = 4;
constexpr int AspirationWindow = 12;
constexpr int ReportedMateBase = MateBase;  // the front ends' mate scale
constexpr int ReportedScoreLimit = MateScoreThreshold - 50;

constexpr int RazorMargin = 300;
constexpr int ReverseFutilityDepth = 9;
constexpr int ReverseFutilityMargin = 75;
constexpr int NullMoveMinDepth = 3;
constexpr int NullMoveVerifyDepth = 14;
constexpr int ProbCutMinDepth = 5;
constexpr int ProbCutMargin = 160;
constexpr int SingularMinDepth = 7;
constexpr int DoubleExtensionMargin = 20;
constexpr int MaxDoubleExtensions = 8;
constexpr int FutilityDepth = 9;
constexpr int FutilityBase = 80;
constexpr int FutilityPerDepth = 80;
constexpr int HistoryPruningDepth = 4;
constexpr int HistoryPruningMargin = 3000;
constexpr int QuietExchangeMargin = 30;
constexpr int NoisyExchangeMargin = 100;
constexpr int QuiescenceFutility = 150;
constexpr int TableTrustReversible = 90;
constexpr int StatBonusLimit = 1600;

int Reductions[64][64];

// ---- State --------------------------------------------------------------------

struct Frame {
  int ply;
  Move move;  // the move made from this frame's position (0: null move)
  PieceCode piece;
  int staticEval;
  Move killers[2];
  Move excluded;
  int doubleExtensions;
  bool inCheck;
  CheckInfo check;
  ContinuationRow* continuation;  // row of `move`
  PlyState record;
};

struct RootMove {
  Move move;
  int score;
  int previousScore;
  int selDepth;
  uint64_t nodes;
  int pvLength;
  Move pv[StrongMaxPly];
};

Frame Frames[StrongMaxPly + FramesBelowRoot + 2];
ContinuationRow NoContinuation;  // read for the null move and below the root; never written
Move PvTable[StrongMaxPly + 1][StrongMaxPly + 1];
int PvLength[StrongMaxPly + 1];
RootMove RootMoves[MaxMovesPerPosition];
int RootCount = 0;

uint64_t Nodes = 0;
int CompletedDepth = 0;
int CurrentRootIndex = -1;  // the root move being searched, or -1
int LineCount = 0;
Move ExpectedReply = 0;
uint64_t ExpectedReplyKey = 0;
int SelDepth = 0;
int RootDepth = 0;
int NullMoveMinPly = 0;
bool Stopped = false;
TimePlan Plan;

// ---- Small helpers -------------------------------------------------------------

inline uint64_t positionKey() { return Pos.key ^ (Pos.side == Black ? BlackToMoveKey : 0); }

inline int drawValue() { return 1 - static_cast<int>(Nodes & 2); }

inline int statBonus(int depth) {
  return std::min((12 * depth + 280) * depth - 350, StatBonusLimit);
}

inline int64_t elapsedMs() { return static_cast<int32_t>(clockMs() - SearchStartClock); }

// Time, node limit and input, looked at every few thousand nodes (never in
// the first iteration, so that every search has a move and a score).
void poll() {
  if (NodeLimit != 0 && Nodes >= NodeLimit && RootDepth > 1) {
    Stopped = true;
    return;
  }
  if ((Nodes & PollMask) != 0 || RootDepth <= 1) return;
  if (StopSearch) {
    Stopped = true;
    return;
  }
  if (Plan.timed && !PonderingSearch && elapsedMs() >= Plan.hardMs) Stopped = true;
  if (inputPending() && inputEndsSearch()) {
    StopSearch = true;
    Stopped = true;
  }
  searchProgress();
}

// Repetition inside the search, a third occurrence with the game, the
// fifty-move rule and bare material.
bool drawnInSearch(int ply, bool inCheck) {
  const HistoryEntry* top = Pos.historyTop;
  const int reversible = top->reversible;
  if (Pos.totalMaterial < 4 && Pos.pawnCount[0] + Pos.pawnCount[1] == 0) return true;
  if (reversible >= 100) return !inCheck || firstLegalMove() != 0;
  int earlier = 0;
  for (int back = 4; back <= reversible; back += 2) {
    if (top - Pos.history < back) break;
    if ((top - back)->key == Pos.key) {
      if (back < ply || ++earlier >= 2) return true;
    }
  }
  return false;
}

inline void noteMove(Frame* ss, Move m) {
  ss->move = m;
  ss->piece = Pos.board[moveFrom(m)];
  ss->continuation = &Histories.continuation[ss->piece][moveTo(m)];
}

// Makes `m` for the frame; false (and nothing changed) when it leaves the
// mover's king in check. Fills the next frame's check information.
inline bool makeLegal(Frame* ss, Move m) {
  const Side mover = Pos.side;
  noteMove(ss, m);
  savePlyState(ss->record);
  makeMove(m, ss->record);
  if (kingLeftInCheck(m, mover)) {
    unmakeMove(m, ss->record);
    return false;
  }
  ++Nodes;
  computeCheckInfo((ss + 1)->check);
  (ss + 1)->inCheck = (ss + 1)->check.checkers != 0;
  return true;
}

inline void updatePv(int ply, Move m) {
  PvTable[ply][ply] = m;
  for (int i = ply + 1; i < PvLength[ply + 1]; ++i) PvTable[ply][i] = PvTable[ply + 1][i];
  PvLength[ply] = PvLength[ply + 1];
}

void updateContinuations(Frame* ss, PieceCode piece, int to, int bonus) {
  for (int back : {1, 2, 4}) {
    if ((ss - back)->move != 0) updateHistory((*(ss - back)->continuation)[piece][to], bonus);
  }
}

void updateQuietStats(Frame* ss, Move best, int bonus, const Move* quiets, int quietCount) {
  const Side side = Pos.side;
  updateHistory(Histories.quiet[side][fromTo(best)], bonus);
  updateContinuations(ss, Pos.board[moveFrom(best)], moveTo(best), bonus);
  if (ss->killers[0] != best) {
    ss->killers[1] = ss->killers[0];
    ss->killers[0] = best;
  }
  if ((ss - 1)->move != 0) Histories.counter[(ss - 1)->piece][moveTo((ss - 1)->move)] = best;
  for (int i = 0; i < quietCount; ++i) {
    updateHistory(Histories.quiet[side][fromTo(quiets[i])], -bonus);
    updateContinuations(ss, Pos.board[moveFrom(quiets[i])], moveTo(quiets[i]), -bonus);
  }
}

inline int16_t& captureEntry(Move m) {
  return Histories.capture[Pos.board[moveFrom(m)]][moveTo(m)][victimKind(m)];
}

// ---- Capture search -------------------------------------------------------------

template <bool Pv>
int quiescence(int alpha, int beta, Frame* ss) {
  const int ply = ss->ply;
  if (Pv) PvLength[ply] = ply;
  poll();
  if (Stopped) return 0;
  if (ply > SelDepth) SelDepth = ply;
  if (drawnInSearch(ply, ss->inCheck)) return drawValue();
  if (ply >= StrongMaxPly - 1) return ss->inCheck ? 0 : strongEvaluate();

  const uint64_t key = positionKey();
  bool hit = false;
  StrongEntry* entry = StrongTT.probe(key, hit);
  const Move tableMove = hit ? entry->move : 0;
  const int tableScore =
      hit && entry->score != NoValue ? scoreFromTable(entry->score, ply) : NoValue;
  const int tableBound = hit ? entry->bound() : BoundNone;
  if (!Pv && tableScore != NoValue && (tableBound & (tableScore >= beta ? BoundLower : BoundUpper)))
    return tableScore;

  int bestScore = -InfiniteValue;
  int futilityBase = -InfiniteValue;
  int staticEval = NoValue;
  if (!ss->inCheck) {
    staticEval = hit && entry->eval != NoValue ? entry->eval : strongEvaluate();
    bestScore = staticEval;
    if (tableScore != NoValue && (tableBound & (tableScore > bestScore ? BoundLower : BoundUpper)))
      bestScore = tableScore;
    if (bestScore >= beta) {
      if (!hit) StrongTT.store(entry, key, 0, NoValue, staticEval, -DepthOffset + 1, BoundNone);
      return bestScore;
    }
    alpha = std::max(alpha, bestScore);
    futilityBase = bestScore + QuiescenceFutility;
  }

  MovePicker picker(tableMove, ss->check);
  Move bestMove = 0;
  int moveCount = 0;
  const int oldAlpha = alpha;
  while (Move m = picker.next()) {
    if (!ss->inCheck) {
      const int gain = immediateGain(m);
      if (futilityBase + gain <= alpha) {
        bestScore = std::max(bestScore, futilityBase + gain);
        continue;
      }
      if (futilityBase <= alpha && !exchangeAtLeast(m, 1)) {
        bestScore = std::max(bestScore, futilityBase);
        continue;
      }
      if (!exchangeAtLeast(m, 0)) continue;
    }
    if (!makeLegal(ss, m)) continue;
    ++moveCount;
    const int score = -quiescence<Pv>(-beta, -alpha, ss + 1);
    unmakeMove(m, ss->record);
    if (Stopped) return 0;
    if (score > bestScore) {
      bestScore = score;
      if (score > alpha) {
        bestMove = m;
        if (Pv) updatePv(ply, m);
        if (score >= beta) break;
        alpha = score;
      }
    }
  }
  if (ss->inCheck && moveCount == 0) return -MateValue + ply;

  const int bound = bestScore >= beta            ? BoundLower
                    : Pv && bestScore > oldAlpha ? BoundExact
                                                 : BoundUpper;
  StrongTT.store(entry, key, bestMove, scoreToTable(bestScore, ply), staticEval, 0, bound);
  return bestScore;
}

// ---- Alpha-beta ---------------------------------------------------------------------

template <bool Pv>
int search(int alpha, int beta, int depth, bool cutNode, Frame* ss) {
  if (depth <= 0) return quiescence<Pv>(alpha, beta, ss);
  const int ply = ss->ply;
  if (Pv) PvLength[ply] = ply;
  poll();
  if (Stopped) return 0;
  if (Pv && ply > SelDepth) SelDepth = ply;
  const bool inCheck = ss->inCheck;
  if (drawnInSearch(ply, inCheck)) return drawValue();
  if (ply >= StrongMaxPly - 1) return inCheck ? 0 : strongEvaluate();

  // 1. Mate distance: no line can do better than a mate from here.
  alpha = std::max(alpha, -MateValue + ply);
  beta = std::min(beta, MateValue - ply - 1);
  if (alpha >= beta) return alpha;

  // 2. The table.
  const Move excluded = ss->excluded;
  const uint64_t key = positionKey() ^ (excluded ? ExcludedMoveKey * excluded : 0);
  bool hit = false;
  StrongEntry* entry = StrongTT.probe(key, hit);
  const Move tableMove = hit ? entry->move : 0;
  const int tableScore =
      hit && entry->score != NoValue ? scoreFromTable(entry->score, ply) : NoValue;
  const int tableBound = hit ? entry->bound() : BoundNone;
  const int tableDepth = hit ? entry->depth - DepthOffset : -DepthOffset;
  const bool tableNoisy = tableMove != 0 && isNoisy(tableMove);
  if (!Pv && tableScore != NoValue && tableDepth >= depth &&
      (tableBound & (tableScore >= beta ? BoundLower : BoundUpper)) &&
      Pos.historyTop->reversible < TableTrustReversible) {
    if (tableScore >= beta && tableMove != 0 && !tableNoisy && isPseudoLegalMove(tableMove)) {
      const int bonus = statBonus(depth);
      updateHistory(Histories.quiet[Pos.side][fromTo(tableMove)], bonus);
      if (ss->killers[0] != tableMove) {
        ss->killers[1] = ss->killers[0];
        ss->killers[0] = tableMove;
      }
    }
    return tableScore;
  }

  // 3. Static evaluation, improved by the table's bound.
  int eval = NoValue;
  bool improving = false;
  (ss + 1)->excluded = 0;
  (ss + 2)->killers[0] = (ss + 2)->killers[1] = 0;
  ss->doubleExtensions = (ss - 1)->doubleExtensions;
  if (inCheck) {
    ss->staticEval = NoValue;
  } else {
    if (hit && entry->eval != NoValue) {
      ss->staticEval = entry->eval;
    } else {
      ss->staticEval = strongEvaluate();
      if (!hit && !excluded)
        StrongTT.store(entry, key, 0, NoValue, ss->staticEval, -DepthOffset + 1, BoundNone);
    }
    eval = ss->staticEval;
    if (tableScore != NoValue && (tableBound & (tableScore > eval ? BoundLower : BoundUpper)))
      eval = tableScore;
    const int earlier =
        (ss - 2)->staticEval != NoValue ? (ss - 2)->staticEval : (ss - 4)->staticEval;
    improving = earlier != NoValue && ss->staticEval > earlier;
  }

  // 4. Pruning of the whole node.
  if (!Pv && !inCheck && !excluded) {
    if (depth <= 2 && eval + RazorMargin * depth < alpha) {
      const int score = quiescence<false>(alpha - 1, alpha, ss);
      if (score < alpha) return score;
    }
    if (depth < ReverseFutilityDepth && eval < MateInMaxPly &&
        eval - ReverseFutilityMargin * (depth - (improving ? 1 : 0)) >= beta)
      return eval;
    if ((ss - 1)->move != 0 && depth >= NullMoveMinDepth && eval >= beta &&
        ss->staticEval >= beta && nonPawnMaterial(Pos.side) > 0 && ply >= NullMoveMinPly &&
        beta > -MateInMaxPly) {
      const int reduction = 4 + depth / 4 + std::min((eval - beta) / 200, 3);
      ss->move = 0;
      ss->piece = Empty;
      ss->continuation = &NoContinuation;
      makeNullMove(ss->record);
      (ss + 1)->check.checkers = 0;
      (ss + 1)->inCheck = false;
      ++Nodes;
      int score = -search<false>(-beta, -beta + 1, depth - reduction, !cutNode, ss + 1);
      unmakeNullMove(ss->record);
      if (Stopped) return 0;
      if (score >= beta) {
        if (score >= MateInMaxPly) score = beta;
        if (depth < NullMoveVerifyDepth) return score;
        NullMoveMinPly = ply + 3 * (depth - reduction) / 4;
        const int verified = search<false>(beta - 1, beta, depth - reduction, false, ss);
        NullMoveMinPly = 0;
        if (verified >= beta) return score;
      }
    }
    const int probBeta = beta + ProbCutMargin - (improving ? 50 : 0);
    if (depth >= ProbCutMinDepth && std::abs(beta) < MateInMaxPly &&
        !(tableScore != NoValue && tableDepth >= depth - 3 && tableScore < probBeta)) {
      MovePicker picker(tableNoisy ? tableMove : 0, ss->check);
      while (Move m = picker.next()) {
        if (!exchangeAtLeast(m, probBeta - ss->staticEval)) continue;
        if (!makeLegal(ss, m)) continue;
        int score = -quiescence<false>(-probBeta, -probBeta + 1, ss + 1);
        if (score >= probBeta)
          score = -search<false>(-probBeta, -probBeta + 1, depth - 4, !cutNode, ss + 1);
        unmakeMove(m, ss->record);
        if (Stopped) return 0;
        if (score >= probBeta) {
          StrongTT.store(entry, key, m, scoreToTable(score, ply), ss->staticEval, depth - 3,
                         BoundLower);
          return score;
        }
      }
    }
  }

  // 5. Without a table move a deep node is searched a little shallower.
  if ((Pv || cutNode) && depth >= 4 && tableMove == 0) --depth;

  // 6. The moves.
  const ContinuationRow* continuations[3] = {(ss - 1)->continuation, (ss - 2)->continuation,
                                             (ss - 4)->continuation};
  const Move counter =
      (ss - 1)->move != 0 ? Histories.counter[(ss - 1)->piece][moveTo((ss - 1)->move)] : 0;
  MovePicker picker(tableMove, ss->killers, counter, continuations, ss->check);
  const Side side = Pos.side;
  const int oldAlpha = alpha;
  int bestScore = -InfiniteValue;
  Move bestMove = 0;
  int moveCount = 0;
  Move quiets[MaxQuietsKept];
  Move captures[MaxCapturesKept];
  int quietCount = 0, captureCount = 0;
  bool skipQuiets = false;
  const bool hasPieces = nonPawnMaterial(side) > 0;

  while (Move m = picker.next(skipQuiets)) {
    if (m == excluded) continue;
    const bool quiet = !isNoisy(m);
    const PieceCode piece = Pos.board[moveFrom(m)];
    const int to = moveTo(m);
    const int history = quiet ? Histories.quiet[side][fromTo(m)] + (*continuations[0])[piece][to] +
                                    (*continuations[1])[piece][to]
                              : captureEntry(m);
    int reduction = Reductions[std::min(depth, 63)][std::min(moveCount + 1, 63)];
    const int lmrDepth = std::max(depth - 1 - reduction, 0);

    // 6a. Moves not worth trying near the leaves (checks excepted, below).
    bool prunableQuiet = false;
    if (ply > 0 && bestScore > -MateInMaxPly && hasPieces) {
      if (quiet) {
        const int limit = (3 + depth * depth) / (improving ? 1 : 2);
        if (moveCount >= limit) skipQuiets = true;
        if (skipQuiets) continue;
        if (!exchangeAtLeast(m, -QuietExchangeMargin * lmrDepth * lmrDepth)) continue;
        prunableQuiet =
            (lmrDepth < HistoryPruningDepth && history < -HistoryPruningMargin * depth) ||
            (!inCheck && lmrDepth < FutilityDepth &&
             ss->staticEval + FutilityBase + FutilityPerDepth * lmrDepth <= alpha);
      } else if (!exchangeAtLeast(m, -NoisyExchangeMargin * depth)) {
        continue;
      }
    }

    // 6b. Extensions: a table move much better than every other one.
    int extension = 0;
    if (ply < 2 * RootDepth && m == tableMove && !excluded && depth >= SingularMinDepth &&
        (tableBound & BoundLower) && std::abs(tableScore) < MateInMaxPly &&
        tableDepth >= depth - 3) {
      const int singularBeta = tableScore - 2 * depth;
      ss->excluded = m;
      const int score = search<false>(singularBeta - 1, singularBeta, (depth - 1) / 2, cutNode, ss);
      ss->excluded = 0;
      if (Stopped) return 0;
      if (score < singularBeta) {
        extension = 1;
        if (!Pv && score < singularBeta - DoubleExtensionMargin &&
            ss->doubleExtensions < MaxDoubleExtensions) {
          extension = 2;
          ++ss->doubleExtensions;
        }
      } else if (singularBeta >= beta) {
        return singularBeta;
      } else if (tableScore >= beta) {
        extension = -1;
      }
    }

    if (!makeLegal(ss, m)) continue;
    const bool givesCheck = (ss + 1)->inCheck;
    if (prunableQuiet && !givesCheck) {
      unmakeMove(m, ss->record);
      ++moveCount;
      continue;
    }
    ++moveCount;
    if (extension == 0 && givesCheck && ply < 2 * RootDepth) extension = 1;
    int newDepth = depth - 1 + extension;

    // 6c. Late moves first at a reduced depth.
    int score;
    if (depth >= 2 && moveCount > 1 + (Pv ? 1 : 0)) {
      if (quiet) {
        if (!Pv) ++reduction;
        if (cutNode) ++reduction;
        if (!improving) ++reduction;
        if (tableNoisy) ++reduction;
        if (givesCheck) --reduction;
        if (m == ss->killers[0] || m == ss->killers[1] || m == counter) --reduction;
        reduction -= (history + (*continuations[2])[piece][to] - 4000) / 10000;
      } else {
        reduction = Pv ? 0 : reduction / 2;
        if (givesCheck) --reduction;
      }
      const int reduced = std::clamp(newDepth - reduction, 1, newDepth + 1);
      score = -search<false>(-alpha - 1, -alpha, reduced, true, ss + 1);
      if (score > alpha && reduced < newDepth) {
        if (score > bestScore + 70 + 2 * newDepth) ++newDepth;
        score = -search<false>(-alpha - 1, -alpha, newDepth, !cutNode, ss + 1);
      }
    } else if (!Pv || moveCount > 1) {
      score = -search<false>(-alpha - 1, -alpha, newDepth, !cutNode, ss + 1);
    } else {
      score = alpha + 1;  // the first move of a PV node: straight to the full window
    }
    if (Pv && (moveCount == 1 || (score > alpha && score < beta)))
      score = -search<true>(-beta, -alpha, newDepth, false, ss + 1);
    unmakeMove(m, ss->record);
    if (Stopped) return 0;

    if (score > bestScore) {
      bestScore = score;
      if (score > alpha) {
        bestMove = m;
        if (Pv) updatePv(ply, m);
        if (score >= beta) break;
        alpha = score;
      }
    }
    if (m != bestMove) {
      if (quiet && quietCount < MaxQuietsKept)
        quiets[quietCount++] = m;
      else if (!quiet && captureCount < MaxCapturesKept)
        captures[captureCount++] = m;
    }
  }

  // 7. No legal move: mate or stalemate (or, in a singular test, a fail low).
  if (moveCount == 0) {
    if (excluded) return alpha;
    return inCheck ? -MateValue + ply : 0;
  }

  // 8. What the cutoff teaches.
  if (bestScore >= beta && bestMove != 0) {
    const int bonus = statBonus(depth);
    if (!isNoisy(bestMove)) {
      updateQuietStats(ss, bestMove, bonus, quiets, quietCount);
    } else {
      updateHistory(captureEntry(bestMove), bonus);
    }
    for (int i = 0; i < captureCount; ++i) updateHistory(captureEntry(captures[i]), -bonus);
  }

  if (!excluded) {
    const int bound = bestScore >= beta            ? BoundLower
                      : Pv && bestScore > oldAlpha ? BoundExact
                                                   : BoundUpper;
    StrongTT.store(entry, key, bestMove, scoreToTable(bestScore, ply), ss->staticEval, depth,
                   bound);
  }
  return bestScore;
}

// ---- Root -------------------------------------------------------------------------

Frame* rootFrame() { return Frames + FramesBelowRoot; }

// One pass over the root moves from `first` on, inside (alpha, beta).
int searchRoot(int alpha, int beta, int depth, int first) {
  Frame* ss = rootFrame();
  int bestScore = -InfiniteValue;
  for (int i = first; i < RootCount; ++i) {
    RootMove& rm = RootMoves[i];
    CurrentRootIndex = i;
    const uint64_t nodesBefore = Nodes;
    SelDepth = 0;
    makeLegal(ss, rm.move);
    const bool givesCheck = (ss + 1)->inCheck;
    const int newDepth = depth - 1 + (givesCheck ? 1 : 0);
    int score;
    bool fullWindow = i == first;
    if (fullWindow) {
      score = -search<true>(-beta, -alpha, newDepth, false, ss + 1);
    } else {
      const int reduction = depth >= 3 && i >= first + 4 && !isNoisy(rm.move) && !givesCheck
                                ? Reductions[std::min(depth, 63)][std::min(i, 63)] / 2
                                : 0;
      score = -search<false>(-alpha - 1, -alpha, newDepth - reduction, true, ss + 1);
      if (score > alpha && reduction > 0)
        score = -search<false>(-alpha - 1, -alpha, newDepth, false, ss + 1);
      if (score > alpha && score < beta) {
        score = -search<true>(-beta, -alpha, newDepth, false, ss + 1);
        fullWindow = true;
      }
    }
    unmakeMove(rm.move, ss->record);
    rm.nodes += Nodes - nodesBefore;
    if (Stopped) return bestScore;
    if (i == first || score > alpha) {
      rm.score = score;
      rm.selDepth = SelDepth;
      rm.pv[0] = rm.move;
      rm.pvLength = 1;
      // A zero-window search leaves no variation behind it.
      for (int p = 1; fullWindow && p < PvLength[1] && rm.pvLength < StrongMaxPly; ++p)
        rm.pv[rm.pvLength++] = PvTable[1][p];
    } else {
      rm.score = -InfiniteValue;
    }
    bestScore = std::max(bestScore, score);
    if (score > alpha) {
      alpha = score;
      if (score >= beta) break;
    }
  }
  return bestScore;
}

// Moves [first, RootCount) by score, best first; equal scores keep their order.
void sortRootMoves(int first, int last) {
  std::stable_sort(RootMoves + first, RootMoves + last,
                   [](const RootMove& a, const RootMove& b) { return a.score > b.score; });
}

int reportedScore(int score) {
  if (score >= MateInMaxPly) return ReportedMateBase - (MateValue - score);
  if (score <= -MateInMaxPly) return -(ReportedMateBase - (MateValue + score));
  return std::clamp(score, -ReportedScoreLimit, ReportedScoreLimit);
}

void reportLines(int depth, int lines) {
  SearchReporter* reporter = searchReporter();
  for (int i = 0; i < lines; ++i) {
    const RootMove& rm = RootMoves[i];
    const int score = rm.score == -InfiniteValue ? rm.previousScore : rm.score;
    char text[StrongMaxPly * 6 + 1];
    char* out = text;
    *out = '\0';
    for (int p = 0; p < rm.pvLength; ++p) {
      if (p > 0) *out++ = ' ';
      out = moveToText(out, rm.pv[p]);
    }
    if (i == 0)
      EngineLog << "-E: " << depth << ":\t" << reportedScore(score) << '\t' << text << std::endl;
    if (reporter == nullptr) continue;
    IterationReport report{depth, reportedScore(score), static_cast<int32_t>(elapsedMs()), Nodes,
                           text};
    report.selDepth = std::max(rm.selDepth, 1);
    report.multiPv = lines > 1 ? i + 1 : 0;
    report.hashPermille = StrongTT.permille();
    report.mateAsMoves = true;
    reporter->iterationDone(report);
  }
}

void collectRootMoves() {
  RootCount = 0;
  MoveEntry list[MaxMovesPerPosition];
  CheckInfo info;
  computeCheckInfo(info);
  const MoveEntry* end = generateMoves(list, info);
  for (const MoveEntry* e = list; e < end; ++e) {
    if (!leavesKingSafe(e->move) || !rootMoveAllowed(e->move)) continue;
    RootMove& rm = RootMoves[RootCount++];
    rm = RootMove{};
    rm.move = e->move;
    rm.score = rm.previousScore = -InfiniteValue;
    rm.pv[0] = e->move;
    rm.pvLength = 1;
  }
  // Captures and promotions first, then the generators' order.
  std::stable_sort(RootMoves, RootMoves + RootCount, [](const RootMove& a, const RootMove& b) {
    return isNoisy(a.move) && !isNoisy(b.move);
  });
}

void prepareFrames() {
  for (int i = 0; i < StrongMaxPly + FramesBelowRoot + 2; ++i) {
    Frame& f = Frames[i];
    f.ply = i - FramesBelowRoot;
    f.move = 0;
    f.piece = Empty;
    f.staticEval = NoValue;
    f.killers[0] = f.killers[1] = 0;
    f.excluded = 0;
    f.doubleExtensions = 0;
    f.inCheck = false;
    f.continuation = &NoContinuation;
  }
  Frame* root = rootFrame();
  computeCheckInfo(root->check);
  root->inCheck = root->check.checkers != 0;
}

void ensureTableSize() {
  const size_t wanted = static_cast<size_t>(transpositionTableMegabytes());
  static size_t allocated = 0;
  if (!StrongTT.allocated() || allocated != wanted) {
    if (StrongTT.resize(wanted) || StrongTT.resize(DefaultStrongTableMegabytes)) allocated = wanted;
  }
}

}  // namespace

void initStrongSearch() {
  ensureTableSize();
  static bool done = false;
  if (done) return;
  done = true;
  initRays();
  initKpk();
  for (int d = 1; d < 64; ++d) {
    for (int m = 1; m < 64; ++m)
      Reductions[d][m] = static_cast<int>(0.75 + std::log(d) * std::log(m) / 2.25);
  }
}

void clearStrongTables() {
  if (StrongTT.allocated()) StrongTT.clear();
  clearHistories();
  clearStrongPawnTable();
}

uint64_t strongNodeCount() { return Nodes; }

int strongCompletedDepth() { return CompletedDepth; }

Move strongCurrentRootMove(int& number, int& depth) {
  number = CurrentRootIndex + 1;
  depth = RootDepth;
  return CurrentRootIndex >= 0 && CurrentRootIndex < RootCount ? RootMoves[CurrentRootIndex].move
                                                               : 0;
}

int strongLines(StrongLine* lines, int capacity) {
  const int count = std::min(capacity, LineCount);
  for (int i = 0; i < count; ++i) {
    const RootMove& rm = RootMoves[i];
    lines[i] = {rm.move, rm.score != -InfiniteValue ? rm.score : rm.previousScore, rm.pv,
                rm.pvLength};
  }
  return count;
}

Move strongExpectedReply() { return Pos.key == ExpectedReplyKey ? ExpectedReply : 0; }

Move strongIterativeDeepening() {
  initStrongSearch();
  StrongTT.newSearch();
  EngineLog << "-M: strong search" << std::endl;
  Nodes = 0;
  Stopped = false;
  RootDepth = 0;
  NullMoveMinPly = 0;
  prepareFrames();
  collectRootMoves();
  LineCount = 0;
  CompletedDepth = 0;
  if (RootCount == 0) {
    const bool mated = rootFrame()->inCheck;
    SearchBestMove = mated ? Checkmated : Stalemated;
    SearchBestScore = static_cast<int16_t>(mated ? -ReportedMateBase : 0);
    // An analysis client waiting for a depth gets every depth it asked for.
    SearchReporter* reporter = searchReporter();
    for (int depth = 1; DeepenToDepthLimit && reporter != nullptr && depth <= MaxSearchDepth;
         ++depth) {
      IterationReport report{depth, SearchBestScore, static_cast<int32_t>(elapsedMs()), 0, ""};
      report.mateAsMoves = true;
      reporter->iterationDone(report);
    }
    return SearchBestMove;
  }
  Plan = planTime(StrongClock, MoveTimeBudget, MaxMoveTimeBudget);

  Move lastBest = 0;
  int lastScore = 0;
  double bestMoveChanges = 0;
  int completedDepth = 0;
  const int lines = std::clamp(MultiPvLines, 1, RootCount);
  LineCount = lines;
  const int maxDepth = std::min<int>(MaxSearchDepth, StrongMaxPly - 1);
  for (int depth = 1; depth <= maxDepth; ++depth) {
    RootDepth = depth;
    for (int i = 0; i < RootCount; ++i) RootMoves[i].previousScore = RootMoves[i].score;
    for (int line = 0; line < lines && !Stopped; ++line) {
      const int previous = RootMoves[line].previousScore;
      int delta = AspirationWindow + std::abs(previous) / 64;
      int alpha = -InfiniteValue, beta = InfiniteValue;
      if (depth >= AspirationMinDepth && previous > -InfiniteValue) {
        alpha = std::max(previous - delta, -InfiniteValue);
        beta = std::min(previous + delta, InfiniteValue);
      }
      for (;;) {
        const int score = searchRoot(alpha, beta, depth, line);
        sortRootMoves(line, RootCount);
        if (Stopped) break;
        if (score <= alpha) {
          beta = (alpha + beta) / 2;
          alpha = std::max(score - delta, -InfiniteValue);
        } else if (score >= beta) {
          beta = std::min(score + delta, InfiniteValue);
        } else {
          break;
        }
        delta += delta / 2;
      }
      sortRootMoves(0, line + 1);
    }
    // An interrupted iteration keeps a move it proved better than the last best.
    if (Stopped) break;
    completedDepth = depth;
    reportLines(depth, lines);

    // Time: stop when another iteration would not pay.
    const Move best = RootMoves[0].move;
    bestMoveChanges = bestMoveChanges / 2 + (lastBest != 0 && best != lastBest ? 1 : 0);
    const int score = RootMoves[0].score;
    const int drop = depth > 1 ? lastScore - score : 0;
    lastBest = best;
    lastScore = score;
    if (NodeLimit != 0 && Nodes >= NodeLimit) break;
    if (Plan.timed && !PonderingSearch && depth >= 4) {
      const double share =
          Nodes > 0 ? static_cast<double>(RootMoves[0].nodes) / static_cast<double>(Nodes) : 0;
      const double limit = Plan.softMs * softLimitFactor(bestMoveChanges, drop, share);
      const int64_t elapsed = elapsedMs();
      if (elapsed >= limit || elapsed >= Plan.hardMs * 0.6) break;
      if (RootCount == 1 && elapsed >= Plan.softMs / 8) break;
    }
    if (StopSearch) break;
  }
  // Root moves that a stopped iteration never reached keep the last scores.
  const RootMove& best = RootMoves[0];
  const int score = best.score != -InfiniteValue ? best.score : best.previousScore;
  if (completedDepth == 0) reportLines(1, 1);
  CompletedDepth = std::max(completedDepth, 1);
  CurrentRootIndex = -1;
  SearchBestMove = best.move;
  ExpectedReply = best.pvLength > 1 ? best.pv[1] : 0;
  savePlyState(rootFrame()->record);
  makeMove(best.move, rootFrame()->record);
  ExpectedReplyKey = Pos.key;
  unmakeMove(best.move, rootFrame()->record);
  SearchBestScore = static_cast<int16_t>(reportedScore(score == -InfiniteValue ? 0 : score));
  NodeCount = static_cast<uint32_t>(Nodes);
  return SearchBestMove;
}
