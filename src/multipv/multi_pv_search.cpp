#include "multipv/multi_pv_search.h"

#include <algorithm>
#include <ostream>

#include "core/clock.h"
#include "core/log.h"
#include "core/make_move.h"
#include "core/move_list.h"
#include "core/move_text.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"
#include "search/draw.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/search_state.h"
#include "search/transposition.h"

namespace {

// Ordering mark of a line's move from the last depth: tried first unless the
// table's move is in the list (which then comes first).
constexpr int16_t PreviousLineMark = 29999;

struct Line {
  Move move;
  int score;
  char variation[PrincipalVariationTextSize];
};

// The legal root moves the caller's filter allows, found once per search.
Move Candidates[MaxMovesPerPosition];
int CandidateCount = 0;
// The filter of one line: the candidates not yet taken by a line.
Move LineFilter[MaxMovesPerPosition];
// Lines of the depth being searched and of the last completed one.
Line Current[MaxMultiPvLines];
Line Completed[MaxMultiPvLines];

void collectCandidates() {
  CandidateCount = 0;
  MoveEntry* const end = generateMoves(MoveBuffer, PlyStack[0].check);
  for (MoveEntry* e = MoveBuffer; e < end; ++e) {
    if (rootMoveAllowed(e->move) && leavesKingSafe(e->move)) Candidates[CandidateCount++] = e->move;
  }
}

bool takenByLine(Move m, int lines) {
  for (int i = 0; i < lines; ++i) {
    if (Current[i].move == m) return true;
  }
  return false;
}

// The root list of line `rank`: the candidates no earlier line took, the
// move this rank had at the last depth marked to go first. The table's move
// is kept off the front so that the table can never end the root with a
// move of another line.
void prepareRootList(int rank, Move previous) {
  int count = 0;
  for (int i = 0; i < CandidateCount; ++i) {
    if (!takenByLine(Candidates[i], rank)) LineFilter[count++] = Candidates[i];
  }
  setRootMoveFilter(LineFilter, count);
  PlyState& root = PlyStack[0];
  MoveEntry* const end = generateMoves(MoveBuffer, root.check);
  MoveEntry* kept = MoveBuffer;
  for (MoveEntry* e = MoveBuffer; e < end; ++e) {
    if (!rootMoveAllowed(e->move)) continue;
    if (e->move == previous) e->score = PreviousLineMark;
    *kept++ = *e;
  }
  root.listEnd = kept;
  const HashEntry* entry = probe(Pos.key, Pos.side);
  if (entry != nullptr && kept - MoveBuffer > 1 && MoveBuffer[0].move == entry->move()) {
    std::swap(MoveBuffer[0], MoveBuffer[1]);
  }
}

// One line at one depth: the root in a window around the score this rank
// had at the last depth, searched again with the window opened on the side
// it failed and then in full, as the single-line search does.
int searchLine(int depth, bool haveGuess, int guess) {
  int alpha = -FullWindow;
  int beta = FullWindow;
  if (haveGuess) {
    alpha = std::max(guess - AspirationMargin, -FullWindow);
    beta = std::min(guess + AspirationMargin, FullWindow);
  }
  IterationDepth = depth;
  AspirationState = 0;
  int score = rootSearch(alpha, beta);
  if (StopSearch || (score > alpha && score < beta)) return score;
  int low = -FullWindow;
  int high = FullWindow;
  if (score <= alpha) {
    AspirationState = -1;
    high = score + 1;
  } else {
    AspirationState = 1;
    low = score - 1;
  }
  score = rootSearch(low, high);
  if (!StopSearch && (score <= low || score >= high)) score = rootSearch(-FullWindow, FullWindow);
  AspirationState = 0;
  return score;
}

// The variation of a line: its move, then what the table holds after it.
void lineVariation(Line& line, int depth) {
  char* out = moveToText(line.variation, line.move);
  *out++ = ' ';
  *out = '\0';
  PlyState& root = PlyStack[0];
  savePlyState(root);
  makeMove(line.move, root);
  CurrentPly = PlyStack + 1;
  principalVariationText(out, std::min(depth, PrincipalVariationMaxPlies) - 1);
  CurrentPly = PlyStack;
  unmakeMove(line.move, root);
}

bool stopped(int depth) {
  if (StopSearch || (depth > 2 && timeIsUp()) || nodeLimitPassed()) {
    StopSearch = true;
    return true;
  }
  return false;
}

void reportLines(int depth, int lines) {
  SearchReporter* reporter = searchReporter();
  for (int i = 0; i < lines; ++i) {
    const Line& line = Completed[i];
    EngineLog << "-E: " << depth << ":\t" << line.score << '\t' << line.variation << "(line "
              << i + 1 << ")" << std::endl;
    if (reporter == nullptr) continue;
    IterationReport report{depth, line.score, static_cast<int32_t>(clockMs() - SearchStartClock),
                           NodeCount, line.variation};
    report.multiPv = MultiPvLines > 1 ? i + 1 : 0;
    reporter->iterationDone(report);
  }
}

bool isMateScore(int score) { return score > MateScoreThreshold || score < -MateScoreThreshold; }

// Depth after depth from `first` until a limit, the depth limit, or enough
// depths in a row on which every line ends in a mate. True when a depth
// completed.
bool deepen(int lines, int first) {
  bool completed = false;
  int mateDepths = 0;
  for (int depth = first; depth <= MaxSearchDepth; ++depth) {
    for (int rank = 0; rank < lines; ++rank) {
      const Move previous = completed ? Completed[rank].move : 0;
      prepareRootList(rank, previous);
      const int score = searchLine(depth, completed, completed ? Completed[rank].score : 0);
      if (stopped(depth)) return completed;
      Line& line = Current[rank];
      line.move = MoveBuffer[0].move;
      line.score = score;
      lineVariation(line, depth);
    }
    for (int i = 0; i < lines; ++i) Completed[i] = Current[i];
    std::stable_sort(Completed, Completed + lines,
                     [](const Line& a, const Line& b) { return a.score > b.score; });
    completed = true;
    SearchBestMove = Completed[0].move;
    SearchBestScore = static_cast<int16_t>(Completed[0].score);
    reportLines(depth, lines);
    const bool allMates = std::all_of(Completed, Completed + lines,
                                      [](const Line& l) { return isMateScore(l.score); });
    mateDepths = allMates ? mateDepths + 1 : 0;
    if (mateDepths >= MateReportsToStop && !DeepenToDepthLimit) break;
  }
  return completed;
}

}  // namespace

Move multiPvSearch() {
  CurrentPly = PlyStack;
  PlyState& root = PlyStack[0];
  computeCheckInfo(root.check);
  collectCandidates();
  // A root drawn already, or without a move to search, is answered as the
  // single-line search answers it.
  const Move draw = drawCheck(2);
  const bool drawn = draw != 0 && (draw != RepetitionDraw || RootRepetitionEndsSearch);
  if (drawn || CandidateCount == 0) return iterativeDeepening();

  NodeCount = 0;
  InCheckCount[0] = InCheckCount[1] = 0;
  NextPollCount = nextPollCount(0);
  AspirationState = 0;
  IterationDepth = 0;
  SearchBestMove = Candidates[0];
  SearchBestScore = 0;
  char fen[96];
  writeFen(fen);
  EngineLog << "-FEN:\t" << fen << "\t(lines: " << MultiPvLines << ")\n";

  const int lines = std::min(std::max(MultiPvLines, 1), CandidateCount);
  // The caller's filter, as a list of the moves it allowed.
  const bool filtered = rootMoveFilterActive();
  // A search of this position that the table remembers (an analysis
  // restarted after a command) goes on at its depth.
  const HashEntry* known = probe(Pos.key, Pos.side);
  const int first = known != nullptr && known->depth() >= 2 ? known->depth() : 1;
  deepen(lines, std::min(first, static_cast<int>(MaxSearchDepth)));
  for (int i = 0; i < CandidateCount; ++i) LineFilter[i] = Candidates[i];
  setRootMoveFilter(filtered ? LineFilter : nullptr, filtered ? CandidateCount : 0);
  AspirationState = 0;
  CurrentPly = PlyStack;
  root.listEnd = nullptr;
  EngineLog.flush();
  return SearchBestMove;
}
