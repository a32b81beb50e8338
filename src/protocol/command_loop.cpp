// Start-up handshake and the command loop.
//
// The loop reads one word at a time. "time" comes first, then coordinate
// moves, then the command table in its order; everything else (the GUIs'
// "random", "computer", "?", ...) is ignored without a reply. Words that
// carry free text ("accepted X", "name X", "result R {comment}") take the
// rest of their line with them. Move words are checked against the legal
// moves of the game position: an illegal one is refused with "Illegal move: "
// and not played. Between words, analysis and pondering go on searching.
#include "protocol/command_loop.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "book/book_creation.h"
#include "book/book_walk.h"
#include "book/opening_book.h"
#include "book/opening_explorer.h"
#include "book/polyglot_choice.h"
#include "book/polyglot_export.h"
#include "core/input.h"
#include "core/input_poll.h"
#include "core/log.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "db/db_commands.h"
#include "game/game.h"
#include "game/search_dispatch.h"
#include "movegen/legal_moves.h"
#include "movegen/move_tables.h"
#include "movegen/perft.h"
#include "protocol/analysis_lines.h"
#include "protocol/engine_control.h"
#include "protocol/engine_state.h"
#include "protocol/thinking_output.h"
#include "search/search_control.h"
#include "search/search_state.h"
#include "search/time_budget.h"
#include "search/transposition.h"
#include "strength/strength_limit.h"
#include "tools/converters.h"
#include "tools/fen_lines.h"

namespace {

constexpr size_t WordBufferSize = 256;
// An "option NAME=VALUE" line (a file path as its value) keeps at most this
// many characters; a longer one is refused.
constexpr size_t OptionLineSize = 4096;
// The interface's engine settings: the .bin book, a file; empty means none;
// the lines of an analysis; the odds on the thinking lines.
constexpr const char* BookFileOption = "BookFile";
// The strong mode, a check box: 1 on, 0 off.
constexpr const char* StrongOption = "Strong";
// Play at a chosen strength: on or off, and the strength on the Elo scale.
constexpr const char* LimitStrengthOption = "UCI_LimitStrength";
constexpr const char* EloOption = "UCI_Elo";
constexpr const char* MultiPvOption = "MultiPV";
constexpr const char* ShowWdlOption = "ShowWDL";
// A "setboard" line keeps at most this many characters (the rest is dropped).
constexpr size_t SetboardLineSize = 255;
constexpr int IncrementUnitMs = 1000;
constexpr double MsPerSecond = 1000.0;
// "st": a tenth of the time, at most this much, is kept back for sending the move.
constexpr int32_t FixedTimeMaxReserveMs = 100;
constexpr int FixedTimeReserveDivisor = 10;
constexpr int32_t MaxIncrementSeconds = 1000000;
constexpr int TestMovesPerControl = 1;
constexpr int32_t TestClockCs = 999999999;

constexpr const char* EngineNameAndVersion = "Veltor " VELTOR_VERSION;
constexpr const char* TestPositionFen =
    "r2qrbk1/1b1n1p1p/p2p1np1/1p1Pp3/P1p1P3/2P2NNP/1PB2PP1/R1BQR1K1 w - -";

char Word[WordBufferSize];

bool startsWith(const char* word, const char* prefix) {
  return std::strncmp(word, prefix, std::strlen(prefix)) == 0;
}

// Reads and drops the rest of the current line (a command's free text).
void skipRestOfLine() {
  char scratch[WordBufferSize];
  while (readRestOfLine(scratch, sizeof scratch)) {
    const size_t length = std::strlen(scratch);
    if (length > 0 && scratch[length - 1] == '\n') break;
  }
}

// Set in analysis mode when the last analysis search ended by itself (a mate
// or stalemate seen to the end): it is not started again until the game changes.
bool AnalysisFinished = false;

// A "setboard" was refused while there was no position: the interface's
// board and the engine's differ, so nothing is played until a set-up works.
bool SetUpRefused = false;

// Interfaces that never send "new" start in the initial position: the
// engine sets it up when a command first needs a position, unless a set-up
// was refused before (then there is none). False without a position.
bool ensurePosition() {
  if (positionIsSetUp()) return true;
  if (SetUpRefused) return false;
  setUpGame(StartPositionFen);
  return true;
}

// Commands that generate moves report a missing position instead of running
// on a board without kings.
bool requirePosition(const char* command) {
  if (ensurePosition()) return true;
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
  DepthLimit = MaxIterationDepth;
  ClockGiven = false;
  if (EngineState != Analyzing) EngineState = Waiting;
}

// "result RES {comment}": the game is over; the comment is free text.
void commandResult() {
  skipRestOfLine();
  commandNew();
}

void commandLevel() {
  int moves = 0;
  if (!readInt(moves)) return;  // not a level line; its words are read as commands
  char base[WordBufferSize];
  char increment[WordBufferSize];
  readWord(base, sizeof base);
  readWord(increment, sizeof increment);
  MovesPerControl = moves;
  FixedMoveTimeMs = -1;
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
  if (setUpGame(line)) {
    ClockGiven = false;
  } else {
    EngineLog << "-M: tellusererror Illegal position" << std::endl;
    if (!positionIsSetUp()) SetUpRefused = true;
  }
}

// "st SECONDS" (fractions allowed): every move gets that time.
void commandSt() {
  char word[WordBufferSize];
  readWord(word, sizeof word);
  char* end = nullptr;
  double seconds = std::strtod(word, &end);
  if (end == word || !(seconds >= 0)) return;  // no number (NaN included): the setting stays
  double ms = seconds * MsPerSecond;
  if (ms > MaxMoveTimeBudget) ms = MaxMoveTimeBudget;
  int32_t budget = static_cast<int32_t>(ms);
  int32_t reserve = budget / FixedTimeReserveDivisor;
  FixedMoveTimeMs = budget - (reserve < FixedTimeMaxReserveMs ? reserve : FixedTimeMaxReserveMs);
}

// "sd DEPTH": no deeper iteration for the own moves until "new".
void commandSd() {
  int depth = 0;
  if (!readInt(depth)) return;
  DepthLimit = depth < 1 ? 1 : depth > MaxIterationDepth ? MaxIterationDepth : depth;
}

// "ping N": answered once every earlier command has been handled.
void commandPing() {
  int number = 0;
  if (readInt(number)) std::printf("pong %d\n", number);
}

// "memory MB": the transposition table within that many megabytes (a
// negative size is held at the smallest table).
void commandMemory() {
  int megabytes = 0;
  if (!readInt(megabytes)) return;
  bool resized =
      resizeTranspositionTable(megabytes < MinTableMegabytes ? MinTableMegabytes : megabytes);
  EngineLog << "-M: memory " << megabytes << " MB: table of " << transpositionTableMegabytes()
            << " MB" << (resized ? "" : " (kept: no memory for more)") << std::endl;
}

void commandPost() { ThinkingOutputEnabled = true; }
void commandNoPost() { ThinkingOutputEnabled = false; }

// "otim N": the opponent's clock, which the time budget does not use.
void commandOtim() {
  int centiseconds = 0;
  readInt(centiseconds);
}

// "undo" / "remove": one or two plies taken back; the engine keeps its colour.
void takeBack(int plies) {
  if (!takeBackGameMoves(plies))
    EngineLog << "- no " << plies << " plies to take back" << std::endl;
}
void commandUndo() { takeBack(1); }
void commandRemove() { takeBack(2); }

void commandAnalyze() {
  if (requirePosition("analyze")) EngineState = Analyzing;
}
void commandExit() {
  if (EngineState == Analyzing) EngineState = Forced;
}

void commandEasy() { PonderEnabled = false; }
void commandHard() { PonderEnabled = true; }
void commandQuit() { EngineState = Quitting; }

void commandWhite() {
  if (ensurePosition()) setGameSideToMove(White);
}
void commandBlack() {
  if (ensurePosition()) setGameSideToMove(Black);
}

// The converters replay games on the process-wide Position from the start
// position: the game is then a new one.
void commandPgnToPos() {
  char pgn[WordBufferSize];
  readWord(pgn, sizeof pgn);
  pgnToPos(pgn);
  clearEngineTables();
}

// The four converters with an input and an output file.
template <void (*Convert)(const char*, const char*)>
void commandConvert() {
  char input[WordBufferSize];
  char output[WordBufferSize];
  readWord(input, sizeof input);
  readWord(output, sizeof output);
  Convert(input, output);
  clearEngineTables();
}

void commandBookShow() {
  ensurePosition();
  std::printf(Book.contains(Pos.side, Pos.key) ? "YES\n" : "NO\n");
}
void commandDbShow() { runDbShow(false); }
void commandDbShowLinear() { runDbShow(true); }
// "bookcreate [GAMES [PERCENT]]": the rest of the line holds the thresholds.
void commandBookCreate() {
  char arguments[WordBufferSize];
  readRestOfLine(arguments, sizeof arguments);
  runBookCreateCommand(arguments);
}

// Plays from a .bin book from now on ("none": stops).
void commandBookFile() {
  char path[WordBufferSize];
  readWord(path, sizeof path);
  char message[BookMessageBytes] = {};
  if (!usePolyglotBook(path, message)) {
    std::printf("%s", message);
  } else if (polyglotBookInUse().isOpen()) {
    std::printf("book file: %s (%lld entries)\n", path,
                static_cast<long long>(polyglotBookInUse().entryCount()));
  } else {
    std::printf("book file: none\n");
  }
}

// "MultiPV=N" (held within 1..MaxMultiPvLines) and "ShowWDL=0|1"; a value
// that is no number is ignored.
void setAnalysisOption(const char* name, const char* value) {
  char* end = nullptr;
  const long number = std::strtol(value, &end, 10);
  if (end == value) {
    EngineLog << "-M: option " << name << " needs a number: " << value << std::endl;
    return;
  }
  if (std::strcmp(name, MultiPvOption) == 0) {
    AnalysisLines = number < 1                 ? 1
                    : number > MaxMultiPvLines ? MaxMultiPvLines
                                               : static_cast<int>(number);
  } else {
    ThinkingShowsWdl = number != 0;
  }
}

// "exclude MOVE|all" and "include MOVE|all": the moves analysis leaves out.
void changeExclusions(bool (*change)(const char*), const char* command) {
  char word[WordBufferSize];
  readWord(word, sizeof word);
  if (!change(word)) EngineLog << "-M: " << command << " ignored: " << word << std::endl;
}
void commandExclude() { changeExclusions(excludeRootMoves, "exclude"); }
void commandInclude() { changeExclusions(includeRootMoves, "include"); }

// "option NAME=VALUE" from the interface's engine settings. A book that does
// not open is told to the user; unknown names are ignored.
void commandOption() {
  char line[OptionLineSize];
  readRestOfLine(line, sizeof line);
  size_t length = std::strlen(line);
  const bool cut = length == sizeof line - 1 && line[length - 1] != '\n';  // the rest is dropped
  while (length > 0 && std::strchr(" \t\r\n", line[length - 1]) != nullptr) line[--length] = '\0';
  const char* name = line + std::strspn(line, " \t");
  char* equals = std::strchr(line, '=');
  if (equals == nullptr) return;
  *equals = '\0';
  if (std::strcmp(name, LimitStrengthOption) == 0 || std::strcmp(name, EloOption) == 0) {
    char* end = nullptr;
    const long number = std::strtol(equals + 1, &end, 10);
    if (end == equals + 1 || *end != '\0') {
      EngineLog << "-M: option " << name << " needs a number, not: " << equals + 1 << std::endl;
    } else if (std::strcmp(name, EloOption) == 0) {
      setStrengthLimit(strengthLimited(),
                       static_cast<int>(std::clamp<long>(number, MinLimitedElo, MaxLimitedElo)));
    } else {
      setStrengthLimit(number != 0, limitedElo());
    }
    return;
  }
  if (std::strcmp(name, StrongOption) == 0) {
    const char* value = equals + 1;
    if (std::strcmp(value, "1") == 0 || std::strcmp(value, "0") == 0) {
      setSearchMode(value[0] == '1' ? SearchMode::Strong : SearchMode::Default);
    } else {
      EngineLog << "-M: option Strong needs 1 or 0, not: " << value << std::endl;
    }
    return;
  }
  if (std::strcmp(name, MultiPvOption) == 0 || std::strcmp(name, ShowWdlOption) == 0) {
    setAnalysisOption(name, equals + 1);
    return;
  }
  if (std::strcmp(name, BookFileOption) != 0) {
    EngineLog << "-M: option ignored: " << name << std::endl;
    return;
  }
  char message[BookMessageBytes] = {};
  if (cut) {
    std::printf("tellusererror BookFile not opened: the path is too long\n");
  } else if (!usePolyglotBook(equals + 1, message)) {
    message[std::strcspn(message, "\r\n")] = '\0';
    std::printf("tellusererror BookFile not opened: %s\n", message);
  }
}

// "strong on|off": the strong mode from the console; says which mode plays.
// A bare "strong" only asks: the next word is read only when it is on or off.
void commandStrong() {
  char word[WordBufferSize];
  if (peekWord(word, sizeof word) &&
      (std::strcmp(word, "on") == 0 || std::strcmp(word, "off") == 0) &&
      readWord(word, sizeof word))
    setSearchMode(word[1] == 'n' ? SearchMode::Strong : SearchMode::Default);
  std::printf("strong: %s\n", searchMode() == SearchMode::Strong ? "on" : "off");
}

// "bookexport FILE [MINGAMES]": a number already sent after the file name is
// the minimum of games (a number alone is no command, so nothing is lost).
void commandBookExport() {
  char path[WordBufferSize];
  readWord(path, sizeof path);
  char next[WordBufferSize];
  int minGames = static_cast<int>(PolyglotExportMinGames);
  if (peekWord(next, sizeof next) && next[0] >= '0' && next[0] <= '9' && readInt(minGames) &&
      minGames < 1)
    minGames = 1;
  runPolyglotExport(path, static_cast<uint32_t>(minGames));
}

void commandExplore() { runExplorer(); }

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
  OwnClockCs = TestClockCs;
  ClockGiven = true;
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
    {"result", Match::Prefix, false, commandResult},
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
    {"pgn2fen", Match::Exact, false, commandConvert<pgnToFen>},
    {"bookshow", Match::Exact, false, commandBookShow},
    {"dbshow", Match::Exact, false, commandDbShow},
    {"dbshowlin", Match::Exact, false, commandDbShowLinear},
    {"bookcreate", Match::Exact, false, commandBookCreate},
    {"dbcreate", Match::Exact, false, commandDbCreate},
    {"bookfile", Match::Exact, true, commandBookFile},
    {"bookexport", Match::Exact, false, commandBookExport},
    {"option", Match::Exact, true, commandOption},
    {"strong", Match::Exact, true, commandStrong},
    {"explore", Match::Exact, false, commandExplore},
    {"benchmark", Match::Exact, false, commandBenchmark},
    {"benchmarkspeed", Match::Exact, false, commandBenchmarkSpeed},
    {"perft", Match::Exact, false, commandPerft},
    {"test", Match::Exact, false, commandTest},
    {"ping", Match::Exact, true, commandPing},
    {"st", Match::Exact, true, commandSt},
    {"sd", Match::Exact, true, commandSd},
    {"otim", Match::Exact, true, commandOtim},
    {"post", Match::Exact, true, commandPost},
    {"nopost", Match::Exact, true, commandNoPost},
    {"memory", Match::Exact, false, commandMemory},
    {"undo", Match::Exact, false, commandUndo},
    {"remove", Match::Exact, false, commandRemove},
    {"analyze", Match::Exact, false, commandAnalyze},
    {"exclude", Match::Exact, false, commandExclude},
    {"include", Match::Exact, false, commandInclude},
    {"exit", Match::Exact, false, commandExit},
    // Replies and settings with free text: the rest of the line goes with them.
    {"accepted", Match::Exact, true, skipRestOfLine},
    {"rejected", Match::Exact, true, skipRestOfLine},
    {"protover", Match::Exact, true, skipRestOfLine},
    {"name", Match::Exact, true, skipRestOfLine},
    {"rating", Match::Exact, true, skipRestOfLine},
    {"variant", Match::Exact, true, skipRestOfLine},
    {"nps", Match::Exact, true, skipRestOfLine},
};

const Command* findCommand(const char* word) {
  for (const Command& command : Commands) {
    bool matches = command.match == Match::Prefix ? startsWith(word, command.text)
                                                  : std::strcmp(word, command.text) == 0;
    if (matches) return &command;
  }
  return nullptr;
}

// "time OWN": the budget for the engine's next move. ("otim" is a command of
// its own: clients send the two in either order.)
void readTimeCommand() {
  int own = 0;
  if (!readInt(own)) return;  // no clock value: the budget stays
  OwnClockCs = own;
  ClockGiven = true;
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
  // 2. Coordinate moves (read against the initial position when none was set up).
  if (EngineState != Thinking && EngineState != Quitting && textToMove(word) != 0) {
    ensurePosition();
    receiveMove(textToMove(word), word);
    return;
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
  if (!startsWith(first, "xboard")) std::printf("Engine works only with xboard protocol ver. 2\n");
  // 3.-4. Every feature at once; the interface's "accepted"/"rejected"
  //    replies are ordinary commands of the loop, never waited for.
  std::printf("\n");
  std::printf("feature done=0\n");
  std::printf("feature setboard=1\n");
  std::printf(
      "feature ping=1 usermove=0 san=0 time=1 draw=0 sigint=0 sigterm=0 reuse=1 analyze=1 "
      "colors=1 playother=0 memory=1 exclude=1 variants=\"normal\" myname=\"%s\"\n",
      EngineNameAndVersion);
  std::printf("feature option=\"%s -file \"\n", BookFileOption);
  std::printf("feature option=\"%s -check %d\"\n", StrongOption,
              searchMode() == SearchMode::Strong ? 1 : 0);
  std::printf("feature option=\"%s -check %d\"\n", LimitStrengthOption, strengthLimited() ? 1 : 0);
  std::printf("feature option=\"%s -spin %d %d %d\"\n", EloOption, limitedElo(), MinLimitedElo,
              MaxLimitedElo);
  std::printf("feature option=\"%s -spin 1 1 %d\"\n", MultiPvOption, MaxMultiPvLines);
  std::printf("feature option=\"%s -check 0\"\n", ShowWdlOption);
  // 5. Ready: the interface's commands wait in the pipe while the tables
  //    and books are set up, so its start-up timer never runs out.
  std::printf("feature done=1\n");
  // 6. Tables and books.
  EngineState = Waiting;
  CurrentPly = PlyStack;
  setSearchReporter(&ThinkingOutput);
  initMoveTables();
  clearTranspositionTable();
  bool bookOpened = findAndOpenBooks();
  // 7. Play goes on without a book.
  if (!bookOpened) {
    std::printf("BOOK ERROR: %s\n", Book.message);
    EngineLog << "BOOK ERROR: " << Book.message;
  }
  return true;
}

namespace {

// Once the words that arrived are handled: analysis goes on (a stopped
// analysis starts again from the table), and so does a ponder search that a
// setting interrupted. Both end at the next input.
void searchWhileIdle() {
  if (inputPending()) return;
  if (EngineState == Analyzing && !AnalysisFinished) {
    analyzePosition();
    AnalysisFinished = !StopSearch;
  } else if (EngineState == Pondering && PonderEnabled && PonderMove != 0) {
    resumePondering();
  }
}

}  // namespace

void commandLoop() {
  char first[WordBufferSize];
  readWord(first, sizeof first);
  commandLoop(first);
}

void commandLoop(const char* first) {
  // The settings a GUI may change start as at program start (a test or a
  // fuzz harness runs the loop many times in one process).
  PonderEnabled = true;
  FixedMoveTimeMs = -1;
  DepthLimit = MaxIterationDepth;
  ClockGiven = false;
  ThinkingOutputEnabled = true;
  ThinkingShowsWdl = false;
  AnalysisLines = 1;
  AnalysisFinished = false;
  SetUpRefused = false;
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
    if (std::strcmp(Word, ".") != 0) AnalysisFinished = false;
    runWord(Word);
    if (EngineState == Quitting) break;
    searchWhileIdle();
  }
  EngineLog.flush();
}
