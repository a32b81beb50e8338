// The real binary on input that a broken interface or script could send:
// every command cut off where its arguments should follow, and set-up
// positions that no game reaches.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine_process.h"
#include "support/test_support.h"

namespace {

constexpr int ExitTimeoutMs = 20000;
const char* const Handshake = "xboard\nprotover 2\naccepted done\naccepted setboard\n";

struct ScriptRun {
  std::string out;
  int status;
};

ScriptRun runScript(const std::string& directory, const std::string& script) {
  EngineProcess engine(directory);
  EXPECT_TRUE(engine.started());
  engine.send(std::string(Handshake) + script);
  engine.closeInput();
  ScriptRun run;
  run.out = engine.readToEnd(ExitTimeoutMs);
  run.status = engine.waitExit(ExitTimeoutMs);
  return run;
}

TEST(ProtocolBadInput, InputEndingInsideACommandEndsTheProgramCleanly) {
  // Each script stops where the command's next argument (or the rest of its
  // word) should come: the engine must finish as on "quit", status 0.
  const std::vector<std::string> cuts = {"new\nlevel",
                                         "new\nlevel 40",
                                         "new\nlevel 40 5",
                                         "new\ntime",
                                         "new\ntime 100 otim",
                                         "setboard",
                                         "setboard rnbqkbnr/pppp",
                                         "new\nperft",
                                         "new\nsetboard 4k3/8/8/8/8/8/8/4K3 w",
                                         "dbcreate",
                                         "dbcreate missing.pos",
                                         "pgn2pos",
                                         "pgn2game",
                                         "pgn2game missing.pgn",
                                         "pgnlist2game",
                                         "game2pgn missing.game",
                                         "game2pos",
                                         "benchmark",
                                         "benchmark x",
                                         "benchmarkspeed",
                                         "new\ne2e",
                                         "new\ne2e4\ng",
                                         "new\nforce\ne2e4 e7e5 g1f3 b8c",
                                         "new\ngo"};
  for (const std::string& cut : cuts) {
    SCOPED_TRACE(cut);
    const std::string dir = makeScratchDirectory("bad-input-cut");
    const ScriptRun run = runScript(dir, cut);
    EXPECT_EQ(run.status, 0) << run.out;
  }
}

TEST(ProtocolBadInput, EnemyKingEnPriseIsCountedWithoutCorruptingTheBoard) {
  // White to move with the Black king en prise: counting paths from it once
  // moved a king that had been taken and left the board corrupt, so the
  // same count a second time differed.
  const std::string dir = makeScratchDirectory("bad-input-perft");
  const ScriptRun run =
      runScript(dir, "setboard 6k1/8/8/8/8/8/Q7/6K1 w - -\nperft 2\nperft 2\nquit\n");
  EXPECT_EQ(run.status, 0);
  std::vector<std::string> depthLines;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("1\t", 0) == 0 || line.rfind("2\t", 0) == 0) depthLines.push_back(line);
  }
  ASSERT_EQ(depthLines.size(), 4u) << run.out;
  // The queen's 20 moves and the king's 5; taking the king is no move.
  EXPECT_EQ(depthLines[0].substr(depthLines[0].rfind('\t') + 1), "25");
  EXPECT_EQ(depthLines[1].substr(depthLines[1].rfind('\t') + 1),
            depthLines[3].substr(depthLines[3].rfind('\t') + 1));
}

TEST(ProtocolBadInput, TakingAnEnPriseKingIsNeverAMove) {
  // Found by fuzzing: after such a set-up "go" played the capture of the
  // king and left a board without it; the interface may send it too.
  const std::string dir = makeScratchDirectory("bad-input-king");
  const ScriptRun run = runScript(dir,
                                  "new\nforce\nsetboard 6k1/8/8/8/8/8/Q7/6K1 w - -\na2g8\n"
                                  "level 40 5 0\ngo\n?\nforce\nperft 1\nquit\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Illegal move: a2g8\n"), std::string::npos) << run.out;
  const size_t move = run.out.find("\nmove ");
  ASSERT_NE(move, std::string::npos) << run.out;
  EXPECT_NE(run.out.substr(move, 11), "\nmove a2g8\n");
  // Both kings are still on the board: the count runs.
  EXPECT_EQ(run.out.find("Error (no position)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("total nodes: "), std::string::npos) << run.out;
}

TEST(ProtocolBadInput, SetboardWithTouchingKingsIsRefused) {
  // Found by fuzzing: from such a set-up the search let one king take the
  // other below the root and left the board corrupt.
  const std::string dir = makeScratchDirectory("bad-input-touching");
  const ScriptRun run = runScript(dir,
                                  "new\nforce\nsetboard 8/5QK1/5k2/8/8/7P/PNQRB3/8 w - -\n"
                                  "perft 1\nsetboard 8/5QK1/5k2/8/8/7P/PNQRB3/8 w - - bm Zz9;\n"
                                  "perft 1\nquit\n");
  EXPECT_EQ(run.status, 0);
  // Both times the start position stays: its 20 moves are counted.
  size_t first = run.out.find("total nodes: 20\n");
  ASSERT_NE(first, std::string::npos) << run.out;
  EXPECT_NE(run.out.find("total nodes: 20\n", first + 1), std::string::npos) << run.out;
  const std::string log = readWholeFile(dir + "/Veltor.log");
  size_t refused = log.find("-M: tellusererror Illegal position\n");
  ASSERT_NE(refused, std::string::npos) << log;
  EXPECT_NE(log.find("-M: tellusererror Illegal position\n", refused + 1), std::string::npos)
      << log;
}

// The node-count lines of a "perft" run ("ply\tduration\tnodes" rows), without
// the durations.
std::string nodeCounts(const std::string& out) {
  std::string counts;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("total nodes: ", 0) == 0) counts += line + "\n";
  }
  return counts;
}

TEST(ProtocolBadInput, HandingTheMoveOverVoidsTheEnPassantSquare) {
  // Found by fuzzing: after e2e4 and "white", White's d2 pawn could take
  // "en passant" on e3, taking a pawn that was not there.
  const std::string dir = makeScratchDirectory("bad-input-side");
  const ScriptRun flipped = runScript(dir, "new\nforce\ne2e4\nwhite\nd2e3\nperft 2\nquit\n");
  EXPECT_EQ(flipped.status, 0);
  EXPECT_NE(flipped.out.find("Illegal move: d2e3\n"), std::string::npos) << flipped.out;
  const ScriptRun set =
      runScript(makeScratchDirectory("bad-input-side-fen"),
                "setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -\nperft 2\nquit\n");
  EXPECT_EQ(nodeCounts(flipped.out), nodeCounts(set.out));
  EXPECT_NE(nodeCounts(set.out), "");
}

// A FIFO where a book file belongs once blocked the engine in its open for
// good ("quit" and the end of the input went unread): a book is opened
// without waiting and refused when it is no regular file, at start-up too.
TEST(ProtocolBadInput, AFifoForABookIsRefusedNotWaitedOn) {
  constexpr int FifoTimeoutMs = 5000;
  const std::string dir = makeScratchDirectory("bad-input-fifo");
  ASSERT_EQ(mkfifo((dir + "/f.bin").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((dir + "/bookbtm.mbx").c_str(), 0644), 0);
  const struct {
    const char* script;
    std::vector<std::string> expected;
  } sessions[] = {
      {"xboard\nbookfile f.bin\noption BookFile=f.bin\nping 1\n",
       {"BOOK ERROR: Cannot load file: 'bookbtm.mbx' (not a regular file)\n",
        "Not a book file: 'f.bin'\n",
        "tellusererror BookFile not opened: Not a book file: 'f.bin'\n", "pong 1\n"}},
      {"uci\nsetoption name Book File value f.bin\nisready\n",
       {"info string setoption: Book File not opened: Not a book file: 'f.bin'\n", "readyok\n"}},
  };
  for (const auto& session : sessions) {
    SCOPED_TRACE(session.script);
    EngineProcess engine(dir);
    ASSERT_TRUE(engine.started());
    engine.send(session.script);
    engine.closeInput();
    const std::string out = engine.readToEnd(FifoTimeoutMs);
    EXPECT_EQ(engine.waitExit(FifoTimeoutMs), 0) << out;
    size_t at = 0;
    for (const std::string& line : session.expected) {
      at = out.find(line, at);
      ASSERT_NE(at, std::string::npos) << line << " in:\n" << out;
    }
  }
}

}  // namespace
