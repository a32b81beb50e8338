// The real binary on a fixed script: its standard output and its log, byte
// for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "engine_process.h"
#include "game/game.h"
#include "movegen/legal_moves.h"
#include "support/test_support.h"

namespace {

const char* const NoBookOutput = "BOOK ERROR: Cannot load file: 'bookbtm.mbx'\n\n";
const char* const NoBookLog = "BOOK ERROR: Cannot load file: 'bookbtm.mbx'\n";

struct Transcript {
  std::string out;
  std::string log;
  int status;
};

Transcript runScript(const std::string& directory, const std::string& script) {
  EngineProcess engine(directory);
  EXPECT_TRUE(engine.started());
  engine.send(script);
  engine.closeInput();
  Transcript t;
  t.out = engine.readToEnd(20000);
  t.status = engine.waitExit(20000);
  t.log = readWholeFile(directory + "/Veltor.log");
  return t;
}

// The log line of the key after `moves` from `fen`, as the engine writes it.
std::string keyLine(const char* fen, std::initializer_list<const char*> moves) {
  setUpPosition(fen);
  for (const char* text : moves) {
    PlyState record;
    savePlyState(record);
    makeMove(textToMove(text), record);
    refreshRootSnapshot();
  }
  char line[40];
  std::snprintf(line, sizeof line, "%x %x\n", static_cast<unsigned>(Pos.key >> 32),
                static_cast<unsigned>(Pos.key));
  return line;
}

TEST(Transcript, ForcedGameSetboardAndJunk) {
  std::string dir = makeScratchDirectory("transcript");
  {
    std::ofstream old(dir + "/Veltor.log");
    old << "left over from an earlier run\n";
  }
  std::string longWord(10000, 'z');
  Transcript t = runScript(dir,
                           "xboard\nprotover 2\naccepted done\naccepted setboard\naccepted done\n"
                           "new\nforce\ne2e4\ne7e5\ne1e3\nrandom\npost\n"
                           "setboard 8/8/8/8/8/8/8/8 x - -\n"
                           "setboard 4k3/8/8/8/8/8/8/4K2R w K - 0 1\n"
                           "bookshow\n" +
                               longWord + "\ne1g1\nquit\n");
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(t.out, std::string(XboardFeatureLines) + NoBookOutput + "Illegal move: e1e3\nNO\n");
  const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  std::string expected = std::string(NoBookLog) +
                         "::cmd:: protover\n::cmd:: accepted\n::cmd:: accepted\n"
                         "::cmd:: accepted\n::cmd:: new\n::cmd:: force\n"
                         "-M: entered StopEngine\n-M: exited StopEngine\n"
                         "::cmd:: e2e4\n" +
                         keyLine(start, {"e2e4"}) + "::cmd:: e7e5\n" +
                         keyLine(start, {"e2e4", "e7e5"}) +
                         "::cmd:: e1e3\nIllegal move: e1e3\n::cmd:: random\n::cmd:: post\n"
                         "::cmd:: setboard\nsetboard  8/8/8/8/8/8/8/8 x - -\n\n"
                         "-M: tellusererror Illegal position\n"
                         "::cmd:: setboard\nsetboard  4k3/8/8/8/8/8/8/4K2R w K - 0 1\n\n"
                         "::cmd:: bookshow\n"
                         "::cmd:: " +
                         std::string(255, 'z') +
                         "\n"
                         "::cmd:: e1g1\n" +
                         keyLine("4k3/8/8/8/8/8/8/4K2R w K - 0 1", {"e1g1"}) + "::cmd:: quit\n";
  EXPECT_EQ(t.log, expected);
}

// GNOME's chess application and Knights never send "new": the engine starts
// in the initial position. Their openings with the engine as White
// ("random", the level's "hard", "go") and as Black ("force", the user's
// move, "go"), byte for byte up to the engine's move, which must be legal.
TEST(Transcript, DesktopGuisThatNeverSendNewPlayFromTheInitialPosition) {
  ensureTablesInitialized();
  const std::string start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  struct Opening {
    const char* script;
    const char* userMove;  // played before the engine's move, or nullptr
  };
  for (const Opening& opening : {Opening{"xboard\nrandom\nhard\ngo\n", nullptr},
                                 Opening{"xboard\nforce\ne2e4\ngo\n", "e2e4"}}) {
    SCOPED_TRACE(opening.script);
    std::string dir = makeScratchDirectory("transcript-desktop");
    EngineProcess engine(dir);
    ASSERT_TRUE(engine.started());
    engine.send(opening.script);
    const std::string move = engine.waitForLine("move ", 20000);
    engine.send("quit\n");
    EXPECT_EQ(engine.waitExit(20000), 0);
    const std::string out = engine.transcript();
    const std::string head = std::string(XboardFeatureLines) + NoBookOutput;
    ASSERT_EQ(out.compare(0, head.size(), head), 0) << out;
    // Thinking lines ("depth score time nodes moves") up to the move line, nothing else.
    const std::vector<std::string> lines = splitLines(out.substr(head.size()));
    ASSERT_FALSE(lines.empty()) << out;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
      int depth = 0;
      EXPECT_EQ(std::sscanf(lines[i].c_str(), "%d", &depth), 1) << lines[i];
    }
    ASSERT_EQ(lines.back(), move) << out;
    setUpPosition(start.c_str());
    if (opening.userMove != nullptr) playGameMove(textToMove(opening.userMove));
    const Move m = textToMove(move.substr(5).c_str());
    EXPECT_TRUE(m != 0 && isLegalMove(m)) << move;
  }
}

TEST(Transcript, OtherProtocolIsWarnedAndNothingIsDiscarded) {
  std::string dir = makeScratchDirectory("transcript-other");
  Transcript t = runScript(dir, "console\nnew\nbookshow\nquit\n");
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(t.out, std::string("Engine works only with xboard protocol ver. 2\n") +
                       XboardFeatureLines + NoBookOutput + "NO\n");
  EXPECT_EQ(t.log, std::string(NoBookLog) + "::cmd:: new\n::cmd:: bookshow\n::cmd:: quit\n");
}

TEST(Transcript, EndOfInputEndsTheProgram) {
  std::string dir = makeScratchDirectory("transcript-eof");
  Transcript t =
      runScript(dir, "xboard\nprotover 2\naccepted done\naccepted setboard\naccepted done\nnew\n");
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(t.log, std::string(NoBookLog) +
                       "::cmd:: protover\n::cmd:: accepted\n::cmd:: accepted\n::cmd:: accepted\n"
                       "::cmd:: new\n");
  // Even in the middle of the handshake.
  Transcript cut = runScript(makeScratchDirectory("transcript-eof2"), "xboard\n");
  EXPECT_EQ(cut.status, 0);
  EXPECT_EQ(cut.out, std::string(XboardFeatureLines) + NoBookOutput);
}

// A GUI may kill the engine at any moment (some do right after the
// handshake): every line logged so far is already in the file.
TEST(Transcript, TheLogIsOnDiskAsItIsWritten) {
  const std::string dir = makeScratchDirectory("transcript-live");
  EngineProcess engine(dir);
  ASSERT_TRUE(engine.started());
  engine.send("xboard\nprotover 2\nnew\nforce\ne2e4\nping 7\n");
  ASSERT_EQ(engine.waitForLine("pong 7", 20000), "pong 7");
  EXPECT_EQ(readWholeFile(dir + "/Veltor.log"),
            std::string(NoBookLog) +
                "::cmd:: protover\n::cmd:: new\n::cmd:: force\n"
                "-M: entered StopEngine\n-M: exited StopEngine\n::cmd:: e2e4\n" +
                keyLine("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {"e2e4"}) +
                "::cmd:: ping\n");
}  // the engine is killed here, still waiting for input

}  // namespace
