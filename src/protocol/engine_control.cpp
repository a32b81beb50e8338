// Deciding and sending the engine's move, announcing results, pondering.
//
// Whatever the search or the book hands back, only a move that is legal in
// the game position is sent: a search cut off before its first iteration, a
// table collision or a book key that a pseudo-legal move happens to reach
// must never cost the game. Mate claims are made only when the position on
// the board really is mate, since a false claim loses under most interfaces.
#include "protocol/engine_control.h"

#include <cstdio>
#include <cstring>
#include <ostream>

#include "book/book_choice.h"
#include "book/opening_book.h"
#include "core/clock.h"
#include "core/input.h"
#include "core/log.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "game/game.h"
#include "game/search_dispatch.h"
#include "movegen/legal_moves.h"
#include "protocol/analysis_lines.h"
#include "protocol/engine_state.h"
#include "search/alpha_beta.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/time_budget.h"
#include "search/transposition.h"
#include "strong/clock_inputs.h"

Move PonderMove = 0;
PlyState PonderPlyState;

namespace {

// Score of a move that mates at once.
constexpr int MateInOneScore = MateBase - 1;
constexpr size_t MoveTextSize = 8;
constexpr size_t CommandPeekSize = 16;
// Commands that take the move away from the engine: arriving while it
// thinks on its move, they end the search and no move is sent.
constexpr const char* CommandsEndingThinking[] = {"force",  "new",      "quit",    "undo",
                                                  "remove", "setboard", "analyze", "result"};

// The search stopped for a command that takes the move away (or for the end
// of the input): the move is withheld. Any other input (`?` included) only
// hurries the move.
bool thinkingTakenAway() {
  if (!StopSearch) return false;
  if (inputEnded()) return true;
  char word[CommandPeekSize];
  if (!peekWord(word, sizeof word)) return false;
  for (const char* command : CommandsEndingThinking) {
    if (std::strncmp(word, command, std::strlen(command)) == 0) return true;
  }
  return false;
}

// The budget of the engine's own move: "st" first, then the clock's budget
// from "time" (counted again now that the engine is on move: interfaces send
// the clock before or after the opponent's move), else the depth limit alone
// or a default.
void settleMoveBudget() {
  StrongClock = ClockInputs{};
  if (FixedMoveTimeMs >= 0) {
    MoveTimeBudget = FixedMoveTimeMs;
    StrongClock.moveTimeMs = FixedMoveTimeMs;
  } else if (ClockGiven) {
    allocateTime(OwnClockCs);
    StrongClock.ownMs = static_cast<int64_t>(OwnClockCs) * 10;
    StrongClock.incrementMs = IncrementMs;
    StrongClock.movesToGo = MovesPerControl > 0 ? MovesToGo : 0;
  } else {
    MoveTimeBudget = DepthLimit < MaxIterationDepth ? MaxMoveTimeBudget : DefaultMoveTimeMs;
  }
}

// Result line for a result code of the search, about the position before the
// engine's move; nullptr for any other value.
const char* searchResultLine(Move code) {
  switch (code) {
    case Checkmated:
      return Pos.side == White ? "0-1 {Veltor mated 0}\n" : "1-0 {Veltor mated 0}\n";
    case Stalemated:
      return "1/2-1/2 {Draw by stalemate (1)}\n";
    case RepetitionDraw:
      return "1/2-1/2 {Draw by 3 fold repetition (2)}\n";
    case FiftyMoveDraw:
      return "1/2-1/2 {Draw by 50 moves rule (3)}\n";
    case InsufficientMaterial:
      return "1/2-1/2 {Draw by insufficient material to mate (4)}\n";
    default:
      return nullptr;
  }
}

// Draw line for the position after the engine's move, from drawCheck.
const char* drawAfterMoveLine(Move code) {
  switch (code) {
    case RepetitionDraw:
      return "1/2-1/2 {Draw by 3 fold repetition (22)}\n";
    case FiftyMoveDraw:
      return "1/2-1/2 {Draw by 50 moves rule (33)}\n";
    case InsufficientMaterial:
      return "1/2-1/2 {Draw by insufficient material to mate (44)}\n";
    default:
      return nullptr;
  }
}

const char* matesLine(bool confirmedByTable) {
  if (confirmedByTable)
    return Pos.side == White ? "0-1 {Veltor mates 1#}\n" : "1-0 {Veltor mates 1#}\n";
  return Pos.side == White ? "0-1 {Veltor mates 1}\n" : "1-0 {Veltor mates 1}\n";
}

bool sideToMoveIsMated() { return sideToMoveInCheck() && firstLegalMove() == 0; }

void sendMove(Move m, char* text) {
  moveToText(text, m);
  std::printf("move %s\n", text);
}

// Ponders on the reply the table expects in the current position (the
// opponent to move). `afterSearch` selects the log lines of a searched move.
void ponder(bool afterSearch) {
  // 1. The expected reply, which must be a legal move: the table may hold a
  //    result marker or another position's move for this key.
  Move p = expectedReply();
  if (p != 0 && !isLegalMove(p)) p = 0;
  if (p == 0) {
    if (afterSearch)
      EngineLog << "-************** NO ponder move, clock:" << clockMs() << std::endl;
    EngineLog << "- NO ponder move" << std::endl;
    return;
  }
  // 2. Make it with the ponder record; GamePly and the snapshot stay.
  EngineState = Pondering;
  replacePonderMove(p);
  // 3. Search until input arrives (no time limit while pondering).
  StartEngine(false, MaxIterationDepth);
  // 4. Report.
  char text[MoveTextSize];
  moveToText(text, p);
  EngineLog << "-ponder move: " << text << std::endl;
  if (EngineState == Waiting) EngineLog << "- NO ponder move" << std::endl;
}

}  // namespace

void StopEngine() {
  EngineLog << "-M: entered StopEngine" << std::endl;
  EngineState = Forced;
  StopSearch = true;
  SearchStartClock = 0;
  EngineLog << "-M: exited StopEngine" << std::endl;
}

void StartEngine(bool goodPonder, int depth) {
  EngineLog << "-M: entered StartEngine, goodPonder: " << (goodPonder ? 1 : 0) << std::endl;
  MaxSearchDepth = depth < MaxIterationDepth ? depth : MaxIterationDepth;
  PonderingSearch = EngineState == Pondering;
  StopSearch = false;
  if (!goodPonder) SearchStartClock = clockMs();
  EngineLog << "*** xxx czas uzyty: " << static_cast<int32_t>(clockMs() - SearchStartClock)
            << std::endl;
  runSearch();
  EngineLog << "-M: exited StartEngine" << std::endl;
}

void decideMove() {
  // Without both kings there is nothing to search (no "new" or "setboard" yet).
  if (!positionIsSetUp()) {
    EngineLog << "- no position to move in" << std::endl;
    return;
  }
  // 1. A ponder hit arrives here in the Pondering state (its move already
  //    played as a game move); its search keeps the clock of the ponder search.
  bool ponderHit = EngineState == Pondering;
  if (PonderMove != 0) liftPonderMove();
  char text[MoveTextSize];

  // 2. Book.
  if (Pos.gamePly < BookPlyLimit) {
    Move m = chooseGameBookMove();
    if (m != 0 && isLegalMove(m)) {
      playGameMove(m);
      sendMove(m, text);
      EngineLog << "move (book) " << text << std::endl;
      EngineState = Waiting;
      if (PonderEnabled) {
        ponder(false);
      } else {
        EngineLog << "- NO ponder move" << std::endl;
      }
      return;
    }
  }

  // 3. Search.
  EngineState = Thinking;
  settleMoveBudget();
  StartEngine(ponderHit, DepthLimit);
  if (thinkingTakenAway()) {
    EngineLog << "- move withheld: a command takes the move away" << std::endl;
    EngineState = Waiting;
    return;
  }

  // 4. Result code or move.
  const char* result = searchResultLine(SearchBestMove);
  if (result == nullptr) {
    Move m = SearchBestMove;
    bool trustScore = true;
    if (!isLegalMove(m)) {
      // The search was cut off without a usable move: any legal move beats
      // sending an illegal one. Its score says nothing about this move.
      m = firstLegalMove();
      trustScore = false;
      EngineLog << "- search move " << SearchBestMove << " not legal, playing the first legal move"
                << std::endl;
    }
    if (m == 0) {
      // No legal move at all, though the search did not say so.
      result = searchResultLine(sideToMoveInCheck() ? Checkmated : Stalemated);
    } else {
      playGameMove(m);
      sendMove(m, text);
      EngineLog << "move " << text << "\tscore: " << SearchBestScore << std::endl;
      if (trustScore && SearchBestScore == MateInOneScore) {
        if (sideToMoveIsMated()) result = matesLine(false);
      } else if (trustScore && SearchBestScore > MateScoreThreshold) {
        HashEntry* entry = probe(Pos.key, Pos.side);
        if (entry != nullptr && entry->move() == Checkmated && sideToMoveIsMated()) {
          result = matesLine(true);
        }
      } else {
        result = drawAfterMoveLine(drawCheck(2));
      }
    }
  }

  // 5.-7. A finished game is announced and not pondered on.
  EngineState = Waiting;
  if (result != nullptr) {
    std::fputs(result, stdout);
    EngineLog << "- NO ponder move" << std::endl;
    return;
  }
  if (PonderEnabled) {
    ponder(true);
  } else {
    EngineLog << "- NO ponder move" << std::endl;
  }
}

void analyzePosition() {
  if (!positionIsSetUp()) return;
  // Every move excluded: nothing to analyse until one is included again.
  if (!applyRootExclusions()) return;
  EngineLog << "-M: analysis" << std::endl;
  MoveTimeBudget = MaxMoveTimeBudget;
  StrongClock = ClockInputs{};
  MultiPvLines = AnalysisLines;
  DeepenToDepthLimit = true;  // a client waiting for a depth gets it, mate or not
  StartEngine(false, MaxIterationDepth);
  DeepenToDepthLimit = false;
  MultiPvLines = 1;
  setRootMoveFilter(nullptr, 0);
}

void resumePondering() {
  EngineLog << "-M: pondering resumed" << std::endl;
  StartEngine(true, MaxIterationDepth);
}

Move liftPonderMove() {
  Move p = PonderMove;
  if (p == 0) return 0;
  unmakeMove(p, PonderPlyState);
  PonderMove = 0;
  return p;
}

void replacePonderMove(Move p) {
  if (p == 0) return;
  savePlyState(PonderPlyState);
  PonderMove = p;
  makeMove(p, PonderPlyState);
}

void takeBackPonderMove() {
  liftPonderMove();
  if (EngineState == Pondering) EngineState = Waiting;
}
