// Start-up handshake and the command loop.
//
// The loop reads one word at a time. "time" comes first, then coordinate
// moves, then the command table in its order; everything else (the GUIs'
// "accepted", "random", "post", "?", result comments...) is ignored without
// a reply. Move words are checked against the legal moves of the game
// position: an illegal one is refused with "Illegal move: " and not played.
#include "protocol/command_loop.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "book/book_creation.h"
#include "book/opening_book.h"
#include "core/input.h"
#include "core/log.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "db/db_commands.h"
#include "game/game.h"
#include "movegen/legal_moves.h"
#include "movegen/move_tables.h"
#include "movegen/perft.h"
#include "protocol/engine_control.h"
#include "protocol/engine_state.h"
#include "protocol/thinking_output.h"
#include "search/search_state.h"
#include "search/time_budget.h"
#include "search/transposition.h"
#include "tools/converters.h"

namespace {

constexpr size_t WordBufferSize = 256;
// A "setboard" line keeps at most this many characters (the rest is dropped).
constexpr size_t SetboardLineSize = 255;
constexpr int WordsPerFeatureReply = 2;
constexpr int IncrementUnitMs = 1000;
constexpr int32_t MaxIncrementSeconds = 1000000;
constexpr int TestMovesPerControl = 1;
constexpr int32_t TestClockCs = 999999999;

constexpr const char* TestPositionFen =
    "r2qrbk1/1b1n1p1p/p2p1np1/1p1Pp3/P1p1P3/2P2NNP/1PB2PP1/R1BQR1K1 w - -";

char Word[WordBufferSize];

bool startsWith(const char* word, const char* prefix) {
  return std::strncmp(word, prefix, std::strlen(prefix)) == 0;
}

// Reads and drops `count` words (the interface's replies to a feature line).
void discardWords(int count) {
  char scratch[WordBufferSize];
  for (int i = 0; i < count; ++i) readWord(scratch, sizeof scratch);
}

// Commands that generate moves report a missing position instead of running
// on a board without kings.
bool requirePosition(const char* command) {
  if (positionIsSetUp()) return true;
  std::printf("Error (no position): %s\n", command);
  return false;
}

// The leading integer of a word ("0.5" gives 0, like a %d conversion),
// held within the int range.
int leadingInt(const char* word) {
  long value = std::strtol(word, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// Command handlers

void commandGo() {
  if (requirePosition("go")) decideMove();
}

void commandNew() {
  setUpGame(StartPositionFen);
  EngineState = Waiting;
}

void commandLevel() {
  int moves = 0;
  if (!readInt(moves)) return;  // not a level line; its words are read as commands
  char base[WordBufferSize];
  char increment[WordBufferSize];
  readWord(base, sizeof base);
  readWord(increment, sizeof increment);
  MovesPerControl = moves;
  int seconds = leadingInt(increment);
  if (seconds > MaxIncrementSeconds) seconds = MaxIncrementSeconds;
  IncrementMs = seconds >= 1 ? seconds * IncrementUnitMs : 0;
}

void commandForce() { StopEngine(); }

void commandSetboard() {
  char line[SetboardLineSize];
  readRestOfLine(line, sizeof line);
  EngineLog << "setboard " << line << std::endl;
  // The logged text keeps its line end; the FEN reader gets it without.
  size_t length = std::strlen(line);
  while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
    line[--length] = '\0';
  // A refused text (kings on touching squares included) leaves the game as it was.
  if (!setUpGame(line)) EngineLog << "-M: tellusererror Illegal position" << std::endl;
}

void commandEasy() { PonderEnabled = false; }
void commandHard() { PonderEnabled = true; }
void commandQuit() { EngineState = Quitting; }

void commandWhite() { setSideToMove(White); }
void commandBlack() { setSideToMove(Black); }

// The converters replay games on the process-wide Position from the start
// position: the game is then a new one.
void commandPgnToPos() {
  char pgn[WordBufferSize];
  readWord(pgn, sizeof pgn);
  pgnToPos(pgn);
  clearSearchTables();
}

// The four converters with an input and an output file.
template <void (*Convert)(const char*, const char*)>
void commandConvert() {
  char input[WordBufferSize];
  char output[WordBufferSize];
  readWord(input, sizeof input);
  readWord(output, sizeof output);
  Convert(input, output);
  clearSearchTables();
}

void commandBookShow() { std::printf(Book.contains(Pos.side, Pos.key) ? "YES\n" : "NO\n"); }
void commandDbShow() { runDbShow(false); }
void commandDbShowLinear() { runDbShow(true); }
void commandBookCreate() { runBookCreate(); }

void commandDbCreate() {
  char input[WordBufferSize];
  char name[WordBufferSize];
  readWord(input, sizeof input);
  readWord(name, sizeof name);
  runDbCreate(input, name);
}

void commandBenchmark() {
  char argument[WordBufferSize];
  int number = 0;
  readWord(argument, sizeof argument);
  readInt(number);
  std::printf("Define __STAT\n");
}

void commandBenchmarkSpeed() {
  char argument[WordBufferSize];
  readWord(argument, sizeof argument);
  std::printf("Define __STAT\n");
}

void commandPerft() {
  int depth = 0;
  if (!readInt(depth)) depth = 0;  // the word that is no number is the next command
  if (requirePosition("perft")) runPerft(depth);
}

void commandTest() {
  MovesPerControl = TestMovesPerControl;
  IncrementMs = 0;
  setUpGame(TestPositionFen);
  EngineState = Waiting;
  PonderEnabled = false;
  printBoard(Pos.board);
  allocateTime(TestClockCs);
}

enum class Match { Prefix, Exact };

struct Command {
  const char* text;
  Match match;
  // Pure settings leave a pondered move on the board; every other command
  // first takes it back so that it acts on the game position.
  bool keepsPonder;
  void (*run)();
};

constexpr Command Commands[] = {
    {"go", Match::Prefix, false, commandGo},
    {"new", Match::Prefix, false, commandNew},
    {"result", Match::Prefix, false, commandNew},
    {"level", Match::Prefix, true, commandLevel},
    {"force", Match::Prefix, false, commandForce},
    {"setboard", Match::Prefix, false, commandSetboard},
    {"easy", Match::Exact, true, commandEasy},
    {"hard", Match::Exact, true, commandHard},
    {"quit", Match::Prefix, false, commandQuit},
    {"white", Match::Prefix, false, commandWhite},
    {"black", Match::Prefix, false, commandBlack},
    {"pgn2pos", Match::Exact, false, commandPgnToPos},
    {"pgn2game", Match::Exact, false, commandConvert<pgnToGame>},
    {"pgnlist2game", Match::Exact, false, commandConvert<pgnListToGame>},
    {"game2pgn", Match::Exact, false, commandConvert<gameToPgn>},
    {"game2pos", Match::Exact, false, commandConvert<gameToPos>},
    {"bookshow", Match::Exact, false, commandBookShow},
    {"dbshow", Match::Exact, false, commandDbShow},
    {"dbshowlin", Match::Exact, false, commandDbShowLinear},
    {"bookcreate", Match::Exact, false, commandBookCreate},
    {"dbcreate", Match::Exact, false, commandDbCreate},
    {"benchmark", Match::Exact, false, commandBenchmark},
    {"benchmarkspeed", Match::Exact, false, commandBenchmarkSpeed},
    {"perft", Match::Exact, false, commandPerft},
    {"test", Match::Exact, false, commandTest},
};

const Command* findCommand(const char* word) {
  for (const Command& command : Commands) {
    bool matches = command.match == Match::Prefix ? startsWith(word, command.text)
                                                  : std::strcmp(word, command.text) == 0;
    if (matches) return &command;
  }
  return nullptr;
}

// "time OWN otim OPP": the budget for the engine's next move.
void readTimeCommand() {
  int own = 0;
  int opponent = 0;
  char otim[WordBufferSize];
  if (!readInt(own)) return;  // no clock value: the budget stays
  readWord(otim, sizeof otim);
  readInt(opponent);
  allocateTime(own);
}

void refuseMove(const char* word) {
  std::printf("Illegal move: %s\n", word);
  EngineLog << "Illegal move: " << word << std::endl;
}

// A received move in the states that take moves. The pondered reply, if on
// the board, comes off first: legality and a miss are judged on the game
// position, and a hit is then played exactly like any game move.
void receiveMove(Move m, const char* word) {
  bool pondering = EngineState == Pondering;
  Move pondered = liftPonderMove();
  if (!isLegalMove(m)) {
    refuseMove(word);
    if (pondering) replacePonderMove(pondered);
    return;
  }
  if (pondering) {
    if (m == pondered) {
      EngineLog << "-GOOD PONDER" << std::endl;
      playGameMove(m);
      decideMove();  // still Pondering: the search keeps the ponder clock
      return;
    }
    EngineLog << "-BAD PONDER" << std::endl;
    playGameMove(m);
    EngineState = Waiting;
    decideMove();
    return;
  }
  playGameMove(m);
  if (EngineState == Waiting) decideMove();
}

// Runs one word read by the loop.
void runWord(const char* word) {
  // 1. Clock.
  if (startsWith(word, "time")) {
    readTimeCommand();
    return;
  }
  // 2. Coordinate moves.
  if (EngineState != Thinking && EngineState != Quitting) {
    Move m = textToMove(word);
    if (m != 0) {
      receiveMove(m, word);
      return;
    }
  }
  // 3. Commands; anything else is ignored.
  const Command* command = findCommand(word);
  if (command == nullptr) return;
  if (!command->keepsPonder) takeBackPonderMove();
  command->run();
}

}  // namespace

bool handshake(const char* first) {
  // 1. Unbuffered output: every line must reach the pipe at once, or the
  //    interface waits for features that sit in a buffer.
  EngineState = Waiting;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::fflush(nullptr);
  // 2. The protocol word.
  bool xboard = startsWith(first, "xboard");
  if (!xboard) std::printf("Engine works only with xboard protocol ver. 2\n");
  // 3.-4. Features, each followed by the interface's two-word reply.
  std::printf("\n");
  std::printf("feature %s=%s\n", "done", "0");
  if (xboard) discardWords(WordsPerFeatureReply);
  std::printf("feature %s=%s\n", "setboard", "1");
  if (xboard) discardWords(WordsPerFeatureReply);
  // 5. Tables and books.
  EngineState = Waiting;
  CurrentPly = PlyStack;
  setSearchReporter(&ThinkingOutput);
  initMoveTables();
  clearTranspositionTable();
  bool bookOpened = Book.open();
  // 6. Ready.
  std::printf("feature done=1\n");
  if (xboard) discardWords(WordsPerFeatureReply);
  // 7. Play goes on without a book.
  if (!bookOpened) {
    std::printf("BOOK ERROR: %s\n", Book.message);
    EngineLog << "BOOK ERROR: " << Book.message;
  }
  return true;
}

void commandLoop() {
  char first[WordBufferSize];
  readWord(first, sizeof first);
  commandLoop(first);
}

void commandLoop(const char* first) {
  PonderEnabled = true;
  std::memset(Word, 0, sizeof Word);
  EngineState = Forced;
  handshake(first);
  for (;;) {
    if (!readWord(Word, sizeof Word)) {
      // The interface is gone: end as on "quit" rather than live on.
      takeBackPonderMove();
      EngineState = Quitting;
      break;
    }
    EngineLog << "::cmd:: " << Word << '\n';
    runWord(Word);
    if (EngineState == Quitting) break;
  }
  EngineLog.flush();
}
