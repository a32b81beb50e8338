// The command loop run in-process on scripted input: matching rules, command
// arguments, the checks on received moves and the log lines of each command.
#include "protocol/command_loop.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/input.h"
#include "core/log.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "protocol/engine_control.h"
#include "protocol/engine_state.h"
#include "search/search_control.h"
#include "search/time_budget.h"
#include "search/transposition.h"
#include "support/test_support.h"

namespace {

const char* const Handshake =
    "xboard\nprotover 2\naccepted done\naccepted setboard\naccepted done\n";
// The loop's log of the handshake's replies, which it reads as commands.
const char* const HandshakeLog =
    "::cmd:: protover\n::cmd:: accepted\n::cmd:: accepted\n::cmd:: accepted\n";
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

struct LoopRun {
  std::string out;  // standard output after the handshake's lines and book message
  std::string log;  // the log after the handshake's book message
};

std::string afterFirst(const std::string& text, const std::string& marker) {
  size_t at = text.find(marker);
  return at == std::string::npos ? text : text.substr(at + marker.size());
}

// Runs the handshake and the loop on `script` in a scratch directory (no book
// files there) with standard output captured.
LoopRun runLoop(const std::string& script) {
  ensureTablesInitialized();
  static const std::string dir = makeScratchDirectory("loop");
  std::string scriptPath = dir + "/script.txt";
  std::string outPath = dir + "/out.txt";
  std::string logPath = dir + "/Veltor.log";
  {
    std::ofstream file(scriptPath, std::ios::binary | std::ios::trunc);
    file << Handshake << script;
  }
  char previousDir[4096];
  EXPECT_NE(getcwd(previousDir, sizeof previousDir), nullptr);
  EXPECT_EQ(chdir(dir.c_str()), 0);
  int scriptFd = open(scriptPath.c_str(), O_RDONLY);
  EXPECT_GE(scriptFd, 0);
  setInputDescriptor(scriptFd);
  openEngineLog(logPath.c_str());

  std::fflush(stdout);
  int savedStdout = dup(1);
  int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(outFd, 1);
  close(outFd);
  commandLoop();
  std::fflush(stdout);
  dup2(savedStdout, 1);
  close(savedStdout);

  EngineLog.close();
  close(scriptFd);
  setInputDescriptor(0);
  EXPECT_EQ(chdir(previousDir), 0);

  LoopRun run;
  std::string out = readWholeFile(outPath);
  EXPECT_EQ(out.compare(0, std::string(XboardFeatureLines).size(), XboardFeatureLines), 0) << out;
  // No book in the scratch directory: its message closes the start-up output.
  run.out = afterFirst(out, "'bookbtm.mbx'\n\n");
  run.log = afterFirst(readWholeFile(logPath), "'bookbtm.mbx'\n");
  EXPECT_EQ(run.log.compare(0, std::string(HandshakeLog).size(), HandshakeLog), 0) << run.log;
  run.log = afterFirst(run.log, HandshakeLog);
  return run;
}

uint64_t keyAfter(const char* fen, const char* moves[], int count) {
  setUpPosition(fen);
  for (int i = 0; i < count; ++i) {
    PlyState record;
    savePlyState(record);
    makeMove(textToMove(moves[i]), record);
    refreshRootSnapshot();
  }
  return Pos.key;
}

std::string keyLine(uint64_t key) {
  char line[40];
  std::snprintf(line, sizeof line, "%x %x\n", static_cast<unsigned>(key >> 32),
                static_cast<unsigned>(key));
  return line;
}

std::string currentFen() {
  char fen[100];
  writeFen(fen);
  return fen;
}

TEST(CommandLoop, ForcedMovesAreLoggedPlayedAndChecked) {
  LoopRun run = runLoop("new\nforce\ne2e4\naccepted\nrandom\n?\ne7e5\ne1e3\ne7e5\nquit\n");
  // Only the illegal moves are answered; unknown words are ignored silently.
  EXPECT_EQ(run.out, "Illegal move: e1e3\nIllegal move: e7e5\n");
  EXPECT_EQ(currentFen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6");
  EXPECT_EQ(EngineState, Quitting);
  const char* moves[] = {"e2e4", "e7e5"};
  std::string expected =
      "::cmd:: new\n::cmd:: force\n"
      "-M: entered StopEngine\n-M: exited StopEngine\n"
      "::cmd:: e2e4\n" +
      keyLine(keyAfter(StartFen, moves, 1)) +
      "::cmd:: accepted\n::cmd:: random\n::cmd:: ?\n"
      "::cmd:: e7e5\n" +
      keyLine(keyAfter(StartFen, moves, 2)) +
      "::cmd:: e1e3\nIllegal move: e1e3\n::cmd:: e7e5\nIllegal move: e7e5\n"
      "::cmd:: quit\n";
  EXPECT_EQ(run.log, expected);
}

TEST(CommandLoop, MalformedPromotionsAndCastlingWithoutRightsAreRefused) {
  // A pawn reaching the last rank needs its promotion letter; the king may
  // not jump two squares without the right.
  LoopRun run =
      runLoop("setboard 4k3/P7/8/8/8/8/8/4K2R w - - 0 1\nforce\na7a8\ne1g1\na7a8Q\na7a8n\nquit\n");
  EXPECT_EQ(run.out, "Illegal move: a7a8\nIllegal move: e1g1\nIllegal move: a7a8Q\n");
  EXPECT_EQ(currentFen(), "N3k3/8/8/8/8/8/8/4K2R b - -");
}

TEST(CommandLoop, WithoutASetUpTheInitialPositionStandsUnlessASetUpWasRefused) {
  // Interfaces that never send "new" play from the initial position.
  Pos = Position{};  // as at start-up: no set-up yet
  LoopRun run = runLoop("force\ne2e4\nperft 1\nquit\n");
  EXPECT_EQ(run.out.find("Illegal"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\t20\n"), std::string::npos) << run.out;  // Black's 20 replies
  EXPECT_EQ(currentFen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
  // A refused set-up leaves no position: moves and searches are refused.
  Pos = Position{};
  run = runLoop("setboard 8/8/8 w\ne2e4\ngo\nperft 2\nbookshow\nanalyze\nquit\n");
  EXPECT_EQ(run.out,
            "Illegal move: e2e4\nError (no position): go\nError (no position): perft\nNO\n"
            "Error (no position): analyze\n");
}

TEST(CommandLoop, PrefixAndExactMatching) {
  runLoop("new\nhard\neasyx\nquit\n");
  EXPECT_TRUE(PonderEnabled);  // easyx is no command
  runLoop("new\neasy\nquit\n");
  EXPECT_FALSE(PonderEnabled);
  runLoop("new\neasy\nhard\nquit\n");
  EXPECT_TRUE(PonderEnabled);
  // quitnow quits: nothing after it runs.
  LoopRun quitting = runLoop("new\nforce\nquitnow\ne2e4\n");
  EXPECT_EQ(quitting.log.find("e2e4"), std::string::npos);
  EXPECT_EQ(EngineState, Quitting);
  // newgame is "new", forced is "force", whitex is "white".
  runLoop("setboard 4k3/8/8/8/8/8/8/4K3 b - - 0 1\nforced\nwhitex\nquit\n");
  EXPECT_EQ(Pos.side, White);
  EXPECT_EQ(Pos.root.side, White);
  runLoop("force\nnewgame\nblack\nquit\n");
  EXPECT_EQ(currentFen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -");
  EXPECT_EQ(Pos.root.side, Black);
}

TEST(CommandLoop, GoIsAPrefixCommand) {
  // No pondering, a short budget: gofoo makes the engine move for White
  // ("?", waiting behind it, hurries the move).
  LoopRun run = runLoop("new\neasy\nlevel 0 0:01 0\ntime 100 otim 100\ngofoo\n?\nquit\n");
  EXPECT_NE(run.log.find("::cmd:: gofoo\n-M: entered StartEngine, goodPonder: 0\n"),
            std::string::npos)
      << run.log;
  EXPECT_NE(run.out.find("move "), std::string::npos) << run.out;
  EXPECT_EQ(Pos.side, Black);
  EXPECT_EQ(Pos.gamePly, 2);
}

TEST(CommandLoop, SetboardLogsTheLineAsRead) {
  LoopRun bad = runLoop("new\nsetboard 8/8/8/8/8/8/8/8 x - -\nquit\n");
  EXPECT_EQ(bad.out, "");
  EXPECT_NE(bad.log.find("::cmd:: setboard\nsetboard  8/8/8/8/8/8/8/8 x - -\n\n"
                         "-M: tellusererror Illegal position\n::cmd:: quit\n"),
            std::string::npos)
      << bad.log;

  LoopRun good = runLoop("setboard 4k3/8/8/8/8/8/8/4K2R w K - 0 1\r\nquit\n");
  EXPECT_EQ(good.out, "");
  EXPECT_EQ(good.log.find("tellusererror"), std::string::npos);
  EXPECT_EQ(currentFen(), "4k3/8/8/8/8/8/8/4K2R w K -");
}

TEST(CommandLoop, OverlongInputIsCutNotOverflowed) {
  std::string longWord(10000, 'z');
  std::string longLine = "setboard " + std::string(600, '8') + "\n";
  LoopRun run = runLoop("new\n" + longWord + "\n" + longLine + "force\ne2e4\nquit\n");
  EXPECT_NE(run.log.find("::cmd:: " + std::string(255, 'z') + "\n::cmd:: setboard\n"),
            std::string::npos);
  EXPECT_NE(run.log.find("-M: tellusererror Illegal position\n::cmd:: force\n"), std::string::npos);
  // The line's excess was dropped: the loop goes on with the next line.
  EXPECT_EQ(run.log.find("::cmd:: 888"), std::string::npos);
  EXPECT_EQ(currentFen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
}

TEST(CommandLoop, PerftWithoutANumberRunsDepthZeroAndKeepsTheWord) {
  LoopRun run = runLoop("new\nperft force\ne2e4\nquit\n");
  EXPECT_NE(run.log.find("::cmd:: perft\n::cmd:: force\n-M: entered StopEngine"), std::string::npos)
      << run.log;
  EXPECT_EQ(run.out.rfind("ply\tduration\tnodes\n", 0), 0u) << run.out;
  // force took effect: e2e4 was only played.
  EXPECT_EQ(Pos.side, Black);
}

TEST(CommandLoop, TimeAndLevelReadTheirArguments) {
  LoopRun run = runLoop("level 40 5 0\nnew\ntime 30000 otim 30000\nquit\n");
  EXPECT_EQ(MovesPerControl, 40);
  EXPECT_EQ(MovesToGo, 40);
  EXPECT_EQ(MoveTimeBudget, 6500);
  // Arguments are not logged as commands.
  EXPECT_NE(run.log.find("::cmd:: time\n::cmd:: otim\n::cmd:: quit\n"), std::string::npos)
      << run.log;

  runLoop("level 0 2 12\nnew\ntime 12000 otim 999\nquit\n");
  EXPECT_EQ(IncrementMs, 12000);
  EXPECT_EQ(MoveTimeBudget, 3130 + 12000);
  // m:ss base times and fractional increments as GUIs send them.
  LoopRun fractional = runLoop("level 0 0:10 0.5\nnew\nquit\n");
  EXPECT_EQ(MovesPerControl, 0);
  EXPECT_EQ(IncrementMs, 0);
  EXPECT_NE(fractional.log.find("::cmd:: level\n::cmd:: new\n"), std::string::npos);
  runLoop("level 40 0:30 2.5\nquit\n");
  EXPECT_EQ(IncrementMs, 2000);
  runLoop("level 40 0:30 99999999999\nquit\n");
  EXPECT_GT(IncrementMs, 0);
  // time 0 gives an empty, not a negative, budget.
  runLoop("level 0 1 0\nnew\ntime 0 otim 0\nquit\n");
  EXPECT_EQ(MoveTimeBudget, 0);
}

TEST(CommandLoop, TestCommandSetsUpTheTestPosition) {
  LoopRun run = runLoop("hard\ntest\nquit\n");
  EXPECT_EQ(currentFen(), "r2qrbk1/1b1n1p1p/p2p1np1/1p1Pp3/P1p1P3/2P2NNP/1PB2PP1/R1BQR1K1 w - -");
  EXPECT_FALSE(PonderEnabled);
  EXPECT_EQ(MovesPerControl, 1);
  EXPECT_EQ(IncrementMs, 0);
  EXPECT_EQ(MovesToGo, 1);
  EXPECT_GT(MoveTimeBudget, 400000000);
  EXPECT_EQ(EngineState, Quitting);
  EXPECT_FALSE(run.out.empty());  // the board
  EXPECT_EQ(run.out.find("move"), std::string::npos);
}

TEST(CommandLoop, BenchmarkCommandsReadTheirArguments) {
  LoopRun run = runLoop("benchmark file.epd 5\nbenchmarkspeed file.epd\nbenchmark x new\nquit\n");
  EXPECT_EQ(run.out, "Define __STAT\nDefine __STAT\nDefine __STAT\n");
  EXPECT_NE(run.log.find("::cmd:: benchmarkspeed\n::cmd:: benchmark\n::cmd:: new\n"),
            std::string::npos);
}

TEST(CommandLoop, EndOfInputEndsTheLoop) {
  runLoop("new\nforce\ne2e4");
  EXPECT_EQ(EngineState, Quitting);
  EXPECT_EQ(Pos.side, Black);
}

}  // namespace

namespace {

TEST(CommandLoop, UndoAndRemoveTakeBackPliesEvenPastTheHistoryCompaction) {
  runLoop("new\nforce\ne2e4\ne7e5\ng1f3\nundo\nquit\n");
  EXPECT_EQ(currentFen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6");
  runLoop("new\nforce\ne2e4\ne7e5\ng1f3\nremove\nquit\n");
  EXPECT_EQ(currentFen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
  // A colour switch is taken back with the move after it; more plies than
  // played change nothing.
  runLoop("new\nforce\ne2e4\nwhite\nd2d4\nundo\nundo\nundo\nundo\nquit\n");
  EXPECT_EQ(currentFen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_EQ(Pos.gamePly, 1);

  // 1,200 knight moves: the history is compacted on the way, the takeback
  // still reaches the first plies (and the en-passant square of a set-up).
  std::string script = "setboard 4k1n1/8/8/8/3pP3/8/8/1N2K3 b - e3 0 1\nforce\n";
  const char* cycle[] = {"g8f6", "b1c3", "f6g8", "c3b1"};
  for (int i = 0; i < 1200; ++i) script += std::string(cycle[i % 4]) + "\n";
  for (int i = 0; i < 600; ++i) script += "remove\n";
  LoopRun run = runLoop(script + "d4e3\nquit\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(currentFen(), "4k1n1/8/8/8/8/4p3/8/1N2K3 w - -");
}

TEST(CommandLoop, TimeSettingsAndTheSetUpsMoveNumber) {
  runLoop("new\nst 0.5\nsd 7\nquit\n");
  EXPECT_EQ(FixedMoveTimeMs, 450);
  EXPECT_EQ(DepthLimit, 7);
  runLoop("st 30\nsd 0\nst x\nquit\n");
  EXPECT_EQ(FixedMoveTimeMs, 29900);
  EXPECT_EQ(DepthLimit, 1);
  // "new" ends the depth limit, "level" the fixed time.
  runLoop("new\nlevel 40 5 0\nquit\n");
  EXPECT_EQ(DepthLimit, MaxIterationDepth);
  EXPECT_EQ(FixedMoveTimeMs, -1);
  // Move 38 of a 40-move control: three moves to go, not forty.
  runLoop("level 40 5 0\nsetboard 4k3/8/8/8/8/8/8/4K2R w K - 0 38\ntime 3000 otim 3000\nquit\n");
  EXPECT_EQ(MovesToGo, 3);
  runLoop("level 40 5 0\nsetboard 4k3/8/8/8/8/8/8/4K2R b - - 12 40\ntime 3000 otim 3000\nquit\n");
  EXPECT_EQ(MovesToGo, 1);
}

TEST(CommandLoop, FreeTextIsNeverACommandOrAMove) {
  // Result comments, names and feature replies take their line with them.
  LoopRun run = runLoop(
      "new\nforce\ne2e4\nresult 1-0 {e7e5 quit force}\nname e2e4 go\naccepted setboard\n"
      "rejected analyze\nvariant normal\nping 12\nforce\nd2d4\nquit\n");
  EXPECT_EQ(run.out, "pong 12\n");
  EXPECT_EQ(currentFen(), "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq d3");
  EXPECT_EQ(EngineState, Quitting);
}

TEST(CommandLoop, ColourSwitchBackKeepsTheEnPassantCapture) {
  // XBoard's way to make the engine White: black, time, otim, white, go.
  LoopRun run = runLoop(
      "setboard rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3\nforce\n"
      "black\ntime 100\notim 100\nwhite\ne5d6\nquit\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(currentFen(), "rnbqkbnr/ppp1pppp/3P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq -");
  // Once a move was played in between, the square stays void.
  LoopRun later = runLoop(
      "setboard rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3\nforce\n"
      "black\ng8f6\nwhite\ne5d6\nquit\n");
  EXPECT_EQ(later.out, "Illegal move: e5d6\n");
}

TEST(CommandLoop, MemorySizesTheTableWithinTheLimit) {
  LoopRun run = runLoop("memory 8\nquit\n");
  EXPECT_NE(run.log.find("-M: memory 8 MB: table of 4 MB\n"), std::string::npos) << run.log;
  EXPECT_EQ(TranspositionBits, 16);
  runLoop("memory 72\nquit\n");
  EXPECT_EQ(TranspositionBits, DefaultTranspositionBits);
  // Negative sizes are held at the smallest table, as UCI's Hash is.
  run = runLoop("memory -1\nquit\n");
  EXPECT_NE(run.log.find("-M: memory -1 MB: table of 4 MB\n"), std::string::npos) << run.log;
  EXPECT_EQ(TranspositionBits, MinTranspositionBits);
  runLoop("memory 72\nquit\n");
}

}  // namespace
