// A search runs in the session's own thread; the input is looked at every
// few thousand nodes through the search's input handler. "isready" is
// answered there without stopping, "ponderhit" turns the running search into
// a timed one, "stop" and "quit" end it, and the commands that must wait for
// it are kept and run afterwards (they end a search without a limit of its
// own). Lines behind a kept command are still read, so that "isready" and
// "stop" are answered at once, up to a kept "go": what follows it is for
// that search.
#include "uci/uci_search.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book_choice.h"
#include "book/opening_book.h"
#include "core/clock.h"
#include "core/input.h"
#include "core/input_poll.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "game/game.h"
#include "game/search_dispatch.h"
#include "mate/mate_proof.h"
#include "mate/mate_search.h"
#include "movegen/legal_moves.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/search_state.h"
#include "search/time_budget.h"
#include "search/transposition.h"
#include "strong/clock_inputs.h"
#include "uci/deferred_lines.h"
#include "uci/uci_output.h"
#include "uci/uci_position.h"

bool QuitRequested = false;
bool UseOwnBook = true;

namespace {

// A search without a time limit ("infinite", "depth" or "nodes" alone).
constexpr int32_t UnlimitedBudgetMs = INT32_MAX;
// Clock values beyond this (about 24 days) are taken as this.
constexpr int64_t LongestClockMs = 2000000000;
// Milliseconds kept back from the own clock for the move's way to the
// interface; of the rest no move takes more than half, so that a clock
// living on its increment keeps a reserve for a slow move.
constexpr int32_t ClockSafetyMs = 30;
constexpr int MaxSearchMoves = 256;

struct GoLimits {
  int64_t clockMs[2] = {-1, -1};  // per side; -1: not given
  int64_t incrementMs[2] = {0, 0};
  int movesToGo = 0;
  int depth = 0;
  int64_t nodes = 0;
  int mate = 0;
  int64_t moveTimeMs = -1;
  bool infinite = false;
  bool ponder = false;
  Move searchMoves[MaxSearchMoves];
  int searchMoveCount = 0;
};

GoLimits Limits;
CommandLine SearchInput;  // a line read while a search runs
bool Holding = false;     // "infinite" or "ponder": bestmove waits for stop or ponderhit
bool Released = false;    // stop or ponderhit came
bool OwnLimit = false;    // a clock, movetime, depth, nodes or mate limit ends the search

// Reads a whole number after a keyword; a word that is no number stays
// unread (it may be the next keyword) and is reported.
bool readNumber(CommandLine& line, const char* keyword, int64_t& value) {
  const size_t saved = line.cursor;
  const char* word = line.next();
  if (word != nullptr) {
    char* end = nullptr;
    const long long number = std::strtoll(word, &end, 10);
    if (end != word && *end == '\0') {
      value = number;
      return true;
    }
  }
  line.cursor = saved;
  sendInfoString("go: no number after ", keyword);
  return false;
}

int64_t clampNumber(int64_t value, int64_t low, int64_t high) {
  return value < low ? low : value > high ? high : value;
}

// Moves after "searchmoves" up to the first word that is no legal move here.
void readSearchMoves(CommandLine& line) {
  for (;;) {
    const size_t saved = line.cursor;
    const char* word = line.next();
    if (word == nullptr) return;
    const Move m = uciMoveFromText(word);
    if (m == 0 || !isLegalMove(m)) {
      line.cursor = saved;
      return;
    }
    if (Limits.searchMoveCount < MaxSearchMoves) Limits.searchMoves[Limits.searchMoveCount++] = m;
  }
}

void readLimits(CommandLine& line) {
  Limits = GoLimits{};
  int64_t value = 0;
  while (const char* word = line.next()) {
    if (std::strcmp(word, "infinite") == 0) {
      Limits.infinite = true;
    } else if (std::strcmp(word, "ponder") == 0) {
      Limits.ponder = true;
    } else if (std::strcmp(word, "searchmoves") == 0) {
      readSearchMoves(line);
    } else if (std::strcmp(word, "wtime") == 0 || std::strcmp(word, "btime") == 0) {
      if (readNumber(line, word, value))
        Limits.clockMs[word[0] == 'w' ? White : Black] = clampNumber(value, 0, LongestClockMs);
    } else if (std::strcmp(word, "winc") == 0 || std::strcmp(word, "binc") == 0) {
      if (readNumber(line, word, value))
        Limits.incrementMs[word[0] == 'w' ? White : Black] = clampNumber(value, 0, LongestClockMs);
    } else if (std::strcmp(word, "movestogo") == 0) {
      if (readNumber(line, word, value))
        Limits.movesToGo = static_cast<int>(clampNumber(value, 0, INT_MAX));
    } else if (std::strcmp(word, "depth") == 0) {
      if (readNumber(line, word, value))
        Limits.depth = static_cast<int>(clampNumber(value, 1, MaxIterationDepth));
    } else if (std::strcmp(word, "nodes") == 0) {
      if (readNumber(line, word, value)) Limits.nodes = clampNumber(value, 1, UINT32_MAX - 1);
    } else if (std::strcmp(word, "mate") == 0) {
      if (readNumber(line, word, value))
        Limits.mate = static_cast<int>(clampNumber(value, 1, MaxMateMoves));
    } else if (std::strcmp(word, "movetime") == 0) {
      if (readNumber(line, word, value)) Limits.moveTimeMs = clampNumber(value, 0, LongestClockMs);
    }
    // Other words are ignored, as the protocol asks.
  }
}

bool isSearchMove(Move m) {
  for (int i = 0; i < Limits.searchMoveCount; ++i) {
    if (Limits.searchMoves[i] == m) return true;
  }
  return false;
}

// The time this move may take, from "movetime" or the own clock; without
// either the search has no time limit.
int32_t moveBudget() {
  if (Limits.moveTimeMs >= 0) return static_cast<int32_t>(Limits.moveTimeMs);
  const Side own = Pos.side;
  const int64_t clock = Limits.clockMs[own];
  if (clock < 0 || Limits.infinite) return UnlimitedBudgetMs;
  IncrementMs = static_cast<int32_t>(Limits.incrementMs[own]);
  allocateTimeFor(static_cast<int32_t>(clock / 10), Limits.movesToGo);
  const int64_t ceiling = clock > ClockSafetyMs ? (clock - ClockSafetyMs) / 2 : 0;
  return MoveTimeBudget < ceiling ? MoveTimeBudget : static_cast<int32_t>(ceiling);
}

// The clock as the strong search plans with it: movetime, or the own clock
// with its increment and moves to go (nothing for analysis and fixed limits).
ClockInputs strongClockInputs() {
  ClockInputs clock;
  const Side own = Pos.side;
  if (Limits.moveTimeMs >= 0) {
    clock.moveTimeMs = Limits.moveTimeMs;
  } else if (Limits.clockMs[own] >= 0 && !Limits.infinite) {
    clock.ownMs = Limits.clockMs[own];
    clock.incrementMs = Limits.incrementMs[own];
    clock.movesToGo = Limits.movesToGo;
  }
  return clock;
}

// A command that must run after the search: the search ends, the line waits.
bool isDeferredCommand(const char* word) {
  static const char* const Commands[] = {"uci", "ucinewgame", "position",
                                         "go",  "setoption",  "register"};
  for (const char* command : Commands) {
    if (std::strcmp(word, command) == 0) return true;
  }
  return false;
}

// One line that came while searching or waiting; true when it ends the
// search (or the wait).
bool handleLineDuringSearch(CommandLine& line) {
  const char* word = line.next();
  if (word == nullptr) return false;
  if (std::strcmp(word, "isready") == 0) {
    std::fputs("readyok\n", stdout);
    std::fflush(stdout);
    return false;
  }
  if (std::strcmp(word, "ponderhit") == 0) {
    // The expected reply was played: the same search goes on, now on the clock.
    PonderingSearch = false;
    if (Limits.ponder) Released = true;
    return false;
  }
  if (std::strcmp(word, "stop") == 0) {
    Released = true;
    return true;
  }
  if (std::strcmp(word, "quit") == 0) {
    QuitRequested = true;
    Released = true;
    return true;
  }
  if (isDeferredCommand(word)) {
    // The interface moved on without "stop". A search with a limit of its
    // own still ends by it (scripts rely on that); one waiting for "stop"
    // or "ponderhit" ends now.
    deferLine(line);  // never full here: a full queue stops the reading
    if (OwnLimit && (!Holding || Released)) return false;
    Released = true;
    return true;
  }
  return false;  // "debug" and unknown words
}

// The search's input handler: reads the waiting lines.
bool inputDuringSearch() {
  while (!deferredInputClosed() && inputPending()) {
    if (inputEnded() || !SearchInput.read()) {
      // Kept commands still run: the session ends after them.
      if (linesDeferred()) return false;
      QuitRequested = true;
      Released = true;
      return true;
    }
    if (handleLineDuringSearch(SearchInput)) return true;
  }
  // A "ponderhit" that came during a ponder search leaves it running; a
  // ponder search that is still waiting for its hit keeps the bestmove back.
  return false;
}

// After a search that must wait: lines until stop, ponderhit, quit, another
// command or the end of the input.
void waitForRelease() {
  while (!Released && !linesDeferred()) {
    if (!SearchInput.read()) {
      QuitRequested = true;
      return;
    }
    handleLineDuringSearch(SearchInput);
  }
}

// The reply the table expects after `best`, if it is legal there.
Move replyExpectedAfter(Move best) {
  static PlyState record;
  savePlyState(record);
  makeMove(best, record);
  Move reply = expectedReply();
  if (reply != 0 && !isLegalMove(reply)) reply = 0;
  unmakeMove(best, record);
  return reply;
}

// The move to send: the search's if it is legal (and allowed), else the
// first legal one allowed; 0 when there is none.
Move chosenMove(Move searched) {
  if (isLegalMove(searched) && (Limits.searchMoveCount == 0 || isSearchMove(searched)))
    return searched;
  if (Limits.searchMoveCount > 0) return Limits.searchMoves[0];
  return firstLegalMove();
}

// A search stopped before its first iteration completed (a node or time
// limit below what the first depth needs, often when the table seeded a deep
// first iteration) still tells the interface its move and score, one depth
// below the interrupted iteration.
void reportUnfinishedSearch(Move best) {
  char variation[8];
  moveToText(variation, best);
  const int score = best == SearchBestMove ? SearchBestScore : 0;
  UciInfoOutput.iterationDone({std::max(1, IterationDepth - 1), score,
                               static_cast<int32_t>(clockMs() - SearchStartClock), NodeCount,
                               variation});
}

Move bookMove() {
  // Book moves are for games on the clock, not for analysis (a "movetime"
  // alone, "infinite") or fixed limits.
  const bool gameClock = Limits.clockMs[Pos.side] >= 0;
  if (!UseOwnBook || !gameClock || Limits.infinite || Limits.depth || Limits.nodes || Limits.mate ||
      Limits.searchMoveCount > 0 || Pos.gamePly >= BookPlyLimit) {
    return 0;
  }
  const Move m = chooseGameBookMove();
  if (m == 0 || !isLegalMove(m)) return 0;
  char text[8];
  moveToText(text, m);
  sendInfoString("book move ", text);
  return m;
}

}  // namespace

void commandGo(CommandLine& line) {
  setUpStartPositionIfNone();
  readLimits(line);
  // "go" with neither a clock, a movetime nor a depth, node or mate limit
  // searches until "stop", like "go infinite".
  OwnLimit = !Limits.infinite && (Limits.clockMs[Pos.side] >= 0 || Limits.moveTimeMs >= 0 ||
                                  Limits.depth || Limits.nodes || Limits.mate);
  if (!OwnLimit) Limits.infinite = true;
  Holding = Limits.infinite || Limits.ponder;
  Released = false;

  Move best = bookMove();
  if (best == 0) {
    SearchStartClock = static_cast<int32_t>(clockMs());
    MoveTimeBudget = moveBudget();
    PonderingSearch = Limits.ponder;
    MaxSearchDepth = Limits.depth  ? Limits.depth
                     : Limits.mate ? 2 * Limits.mate - 1
                                   : MaxIterationDepth;
    // "go depth 1" searches one ply; any other limit at least two.
    if (MaxSearchDepth < 2 && Limits.depth != 1) MaxSearchDepth = 2;
    MateSearchMoves = Limits.mate;
    NodeLimit = static_cast<uint32_t>(Limits.nodes);
    StrongClock = strongClockInputs();
    RootRepetitionEndsSearch = false;  // no draw claims here: the root is searched
    setRootMoveFilter(Limits.searchMoves, Limits.searchMoveCount);
    StopSearch = false;
    setSearchInputHandler(inputDuringSearch);
    setSearchProgressHandler(sendCurrentMove);
    const uint32_t reportsBefore = UciInfoOutput.reports;
    runSearch();
    setSearchProgressHandler(nullptr);
    setSearchInputHandler(nullptr);
    if (MateSearchMoves > 0) sendMateSearchOutcome(lastMateSearchOutcome(), MateSearchMoves);
    MateSearchMoves = 0;
    setRootMoveFilter(nullptr, 0);
    NodeLimit = 0;
    RootRepetitionEndsSearch = true;
    PonderingSearch = false;
    best = chosenMove(SearchBestMove);
    if (best != 0 && UciInfoOutput.reports == reportsBefore) reportUnfinishedSearch(best);
  }
  if (Holding && !QuitRequested) waitForRelease();
  sendBestMove(best, best != 0 ? replyExpectedAfter(best) : 0);
}
