// The real binary in a UCI session, fed what interfaces and broken scripts
// send: every "go" answered by exactly one bestmove, nothing of the xboard
// dialogue, bad input reported as "info string" and survived.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "protocol/engine_process.h"
#include "support/test_support.h"

namespace {

constexpr int ExitTimeoutMs = 30000;

struct Session {
  std::vector<std::string> lines;
  int status;
  int count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& line : lines) n += line.compare(0, prefix.size(), prefix) == 0;
    return n;
  }
  std::string last(const std::string& prefix) const {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      if (it->compare(0, prefix.size(), prefix) == 0) return *it;
    }
    return "";
  }
  std::string text() const {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
  }
};

// The whole script at once, then the end of the input.
Session runScript(const std::string& script) {
  EngineProcess engine(makeScratchDirectory("uci-session"));
  EXPECT_TRUE(engine.started());
  engine.send(script);
  engine.closeInput();
  Session s;
  s.lines = splitLines(engine.readToEnd(ExitTimeoutMs));
  s.status = engine.waitExit(ExitTimeoutMs);
  return s;
}

// The rank digit of a bestmove's from-square ('0' for none).
char fromRank(const std::string& bestmoveLine) {
  return bestmoveLine.size() >= 12 ? bestmoveLine[10] : '0';
}

TEST(UciSession, HandshakeSearchAndNoXboardText) {
  const Session s = runScript(
      "uci\nisready\nsetoption name Hash value 8\nucinewgame\nposition startpos moves e2e4 e7e5\n"
      "go depth 4\nposition fen 6k1/5ppp/8/8/8/8/5PPP/1q4K1 w - - 0 1\ngo depth 3\nquit\n");
  ASSERT_FALSE(s.lines.empty());
  EXPECT_EQ(s.lines[0].rfind("id name Veltor ", 0), 0u) << s.text();
  EXPECT_EQ(s.count("uciok"), 1);
  EXPECT_EQ(s.count("readyok"), 1);
  EXPECT_EQ(s.count("bestmove"), 2) << s.text();
  EXPECT_NE(s.last("info depth 4 score "), "") << s.text();
  EXPECT_EQ(s.last("bestmove"), "bestmove 0000") << "checkmated: no move";
  for (const std::string& line : s.lines) {
    const bool protocolLine = line.rfind("id ", 0) == 0 || line.rfind("option name ", 0) == 0 ||
                              line == "uciok" || line == "readyok" || line.rfind("info ", 0) == 0 ||
                              line.rfind("bestmove ", 0) == 0;
    EXPECT_TRUE(protocolLine) << "not UCI: '" << line << "'";
  }
  EXPECT_EQ(s.status, 0);
}

TEST(UciSession, InputCutInsideACommandEndsCleanlyWithOneBestmovePerGo) {
  const std::vector<std::string> cuts = {"uci\nposition",
                                         "uci\nposition fen",
                                         "uci\nposition fen 8/8/8",
                                         "uci\nposition startpos moves e2e",
                                         "uci\nposition startpos moves",
                                         "uci\nsetoption",
                                         "uci\nsetoption name",
                                         "uci\nsetoption name Hash value",
                                         "uci\nsetoption name Clear",
                                         "uci\ngo wtime",
                                         "uci\ngo depth",
                                         "uci\ngo searchmoves",
                                         "uci\ngo infinite",
                                         "uci\ngo ponder wtime 1000 btime 1000",
                                         "uci\ngo",
                                         "uci\ngo movetime 50\nisre"};
  for (const std::string& cut : cuts) {
    SCOPED_TRACE(cut);
    const Session s = runScript(cut);
    EXPECT_EQ(s.status, 0) << s.text();
    EXPECT_EQ(s.count("bestmove"), cut.find("\ngo") != std::string::npos ? 1 : 0) << s.text();
  }
}

TEST(UciSession, RefusedFenAndIllegalMovesKeepWhatCameBefore) {
  // The refused FEN keeps the game after 1.e4: Black moves. The illegal
  // second e2e4 ends its list after 1.e4: Black moves again. Junk numbers
  // and words are skipped; "go" before any position searches the start.
  const Session s = runScript(
      "uci\nposition startpos moves e2e4\nposition fen 8/8/8/8 w - -\ngo depth 3\n"
      "position startpos moves e2e4 e2e4 d7d5\ngo wtime abc btime 2000 winc -5 depth 3 bogus\n"
      "ucinewgame\nposition startpos moves e2e4 zz9\ngo depth 2 nodes x\n");
  const std::string text = s.text();
  EXPECT_NE(text.find("info string position: FEN refused"), std::string::npos) << text;
  EXPECT_NE(text.find("info string illegal or unreadable move, the moves end before it: e2e4"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("before it: zz9"), std::string::npos) << text;
  EXPECT_NE(text.find("info string go: no number after wtime"), std::string::npos) << text;
  std::vector<std::string> best;
  for (const std::string& line : s.lines) {
    if (line.rfind("bestmove", 0) == 0) best.push_back(line);
  }
  ASSERT_EQ(best.size(), 3u) << text;
  for (const std::string& line : best)
    EXPECT_TRUE(fromRank(line) == '7' || fromRank(line) == '8') << line;

  const Session first = runScript("uci\ngo depth 3\n");
  EXPECT_TRUE(fromRank(first.last("bestmove")) == '1' || fromRank(first.last("bestmove")) == '2')
      << first.text();
}

TEST(UciSession, OverlongLinesAreDroppedAndLaterCommandsRead) {
  std::string moves;
  for (int i = 0; i < 1000; ++i) moves += " g1f3 g8f6 f3g1 f6g8";  // 20,000 characters
  const Session s =
      runScript("uci\n" + std::string(40000, 'x') + "\nisready\nposition startpos moves" + moves +
                "\ngo depth 2\nisready\n");
  EXPECT_EQ(s.count("readyok"), 2) << s.text();
  EXPECT_EQ(s.count("info string position: the line is too long"), 1) << s.text();
  EXPECT_EQ(s.count("bestmove"), 1);
  EXPECT_EQ(s.status, 0);
}

// A node limit that ends the first iteration (a deep one seeded from the
// table, or depth 2 with a single node) and a drawn root (bare kings) still
// leave a score and the move, with this search's own depth and nodes.
TEST(UciSession, EverySearchedMoveComesAfterAnInfoLineWithScoreAndPv) {
  const Session s = runScript(
      "uci\nposition startpos moves d2d4\ngo depth 7\ngo nodes 300\nposition startpos\ngo nodes 1\n"
      "position fen 8/8/8/4k3/8/8/8/4K3 w - - 0 1\ngo depth 9\nquit\n");
  EXPECT_EQ(s.count("bestmove"), 4) << s.text();
  std::string info;
  for (size_t i = 1; i < s.lines.size(); ++i) {
    if (s.lines[i].rfind("bestmove ", 0) != 0) continue;
    info = s.lines[i - 1];
    EXPECT_EQ(info.rfind("info depth ", 0), 0u) << s.text();
    EXPECT_NE(info.find(" score cp "), std::string::npos) << info;
    const size_t pv = info.find(" pv ");
    ASSERT_NE(pv, std::string::npos) << info;
    EXPECT_EQ(info.substr(pv + 4, 4), s.lines[i].substr(9, 4)) << "the pv starts with the move";
  }
  EXPECT_EQ(info.rfind("info depth 1 score cp 0 nodes 0 ", 0), 0u) << info;
}

// The interface cannot claim the repetition for the engine: the position is
// searched and the mate found. Upper-case promotion letters are read, in the
// moves of "position" and after "searchmoves".
TEST(UciSession, RepeatedRootsAreSearchedAndPromotionLettersReadInEitherCase) {
  const Session s = runScript(
      "uci\nposition fen 6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1 moves g1h1 g8h8 h1g1 h8g8 g1h1 "
      "g8h8 h1g1 h8g8\ngo wtime 10000 btime 10000\n"
      "position fen 4k3/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8Q\ngo depth 3\n"
      "position fen 4k3/P7/8/8/8/8/8/K7 w - - 0 1\ngo depth 2 searchmoves a7a8N\n");
  std::vector<std::string> best;
  std::string mateInfo;
  for (const std::string& line : s.lines) {
    if (line.rfind("bestmove", 0) == 0) best.push_back(line);
    if (best.empty() && line.find(" score mate 1 ") != std::string::npos) mateInfo = line;
  }
  ASSERT_EQ(best.size(), 3u) << s.text();
  EXPECT_EQ(best[0].substr(0, 13), "bestmove d1d8") << s.text();
  EXPECT_NE(mateInfo, "") << s.text();
  EXPECT_EQ(fromRank(best[1]), '8') << "Black, in check from the new queen, moves: " << best[1];
  EXPECT_EQ(best[2].substr(0, 14), "bestmove a7a8n") << s.text();
  EXPECT_EQ(s.count("info string illegal"), 0) << s.text();
}

// A command that waits for the running search does not hold back the lines
// behind it: "isready" is answered at once and "stop" ends the search. The
// waiting commands then run in order.
TEST(UciSession, IsreadyAndStopBehindAWaitingCommandAreAnsweredAtOnce) {
  EngineProcess engine(makeScratchDirectory("uci-behind"));
  ASSERT_TRUE(engine.started());
  engine.send("uci\nposition startpos\ngo movetime 3000\n");
  ASSERT_NE(engine.waitForLine("info depth", 10000), "") << engine.transcript();
  engine.send("ucinewgame\nposition startpos moves e2e4\nisready\n");
  std::string line;
  bool ready = false;
  while (!ready && engine.readLine(line, 1000)) {
    ASSERT_NE(line.rfind("bestmove", 0), 0u) << "bestmove before readyok: " << engine.transcript();
    ready = line == "readyok";
  }
  EXPECT_TRUE(ready) << engine.transcript();
  engine.send("stop\n");
  EXPECT_NE(engine.waitForLine("bestmove ", 1000), "") << "stop ends the search";
  // The same with a depth limit that would take far longer than the test.
  engine.send("go depth 40\n");
  ASSERT_NE(engine.waitForLine("info depth", 10000), "") << engine.transcript();
  engine.send("position startpos moves e2e4 e7e5\nisready\n");
  EXPECT_EQ(engine.waitForLine("readyok", 1000), "readyok") << engine.transcript();
  engine.send("stop\n");
  EXPECT_NE(engine.waitForLine("bestmove ", 1000), "") << engine.transcript();
  // The kept "position" ran: the next search is White's move after 1.e4 e5.
  engine.send("go depth 2\n");
  const std::string best = engine.waitForLine("bestmove ", 5000);
  EXPECT_TRUE(fromRank(best) == '1' || fromRank(best) == '2') << engine.transcript();
  engine.send("quit\n");
  EXPECT_EQ(engine.waitExit(ExitTimeoutMs), 0);
}

// Book moves are for games on the clock: "movetime" (python-chess's analyse
// with a time) searches and reports, a clock plays the book and says so.
TEST(UciSession, MovetimeSearchesInABookPositionAndAGameClockPlaysTheBook) {
  const std::string dir = makeScratchDirectory("uci-book");
  {
    // One entry: the initial position (its key in the .bin format), e2e4, weight 1.
    const unsigned char entry[16] = {0x46, 0x3b, 0x96, 0x18, 0x16, 0x91, 0xfc, 0x9c,
                                     0x03, 0x1c, 0x00, 0x01, 0,    0,    0,    0};
    std::ofstream book(dir + "/one.bin", std::ios::binary);
    book.write(reinterpret_cast<const char*>(entry), sizeof entry);
  }
  EngineProcess engine(dir);
  ASSERT_TRUE(engine.started());
  engine.send("uci\nsetoption name Book File value one.bin\nposition startpos\ngo movetime 300\n");
  ASSERT_EQ(engine.waitForLine("uciok", 5000), "uciok");
  std::string line;
  std::string lastInfo;
  while (engine.readLine(line, 5000) && line.rfind("bestmove", 0) != 0) {
    EXPECT_EQ(line.find("book"), std::string::npos) << line;
    if (line.rfind("info depth", 0) == 0) lastInfo = line;
  }
  EXPECT_NE(lastInfo.find(" score cp "), std::string::npos) << engine.transcript();
  engine.send("go wtime 60000 btime 60000\n");
  EXPECT_EQ(engine.waitForLine("info string", 5000), "info string book move e2e4")
      << engine.transcript();
  EXPECT_EQ(engine.waitForLine("bestmove", 5000).substr(0, 13), "bestmove e2e4");
  engine.send("quit\n");
  EXPECT_EQ(engine.waitExit(ExitTimeoutMs), 0);
}

TEST(UciSession, IsreadyIsAnsweredWhileSearchingAndStopGivesOneBestmove) {
  EngineProcess engine(makeScratchDirectory("uci-infinite"));
  ASSERT_TRUE(engine.started());
  engine.send("uci\nposition startpos\ngo infinite\n");
  ASSERT_NE(engine.waitForLine("info depth", 10000), "");
  engine.send("isready\n");
  std::string line;
  bool ready = false;
  while (!ready && engine.readLine(line, 5000)) {
    ASSERT_NE(line.rfind("bestmove", 0), 0u) << "bestmove before stop";
    ready = line == "readyok";
  }
  EXPECT_TRUE(ready) << engine.transcript();
  engine.send("stop\n");
  EXPECT_NE(engine.waitForLine("bestmove ", 5000), "") << engine.transcript();
  engine.send("go ponder wtime 500 btime 500\n");
  EXPECT_EQ(engine.waitForLine("bestmove ", 700), "") << "bestmove while pondering";
  engine.send("ponderhit\n");
  EXPECT_NE(engine.waitForLine("bestmove ", 3000), "") << engine.transcript();
  engine.send("quit\n");
  EXPECT_EQ(engine.waitExit(ExitTimeoutMs), 0);
}

// The words of a line.
std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < line.size()) {
    const size_t end = std::min(line.find(' ', start), line.size());
    if (end > start) words.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

// The word after `key` in the line ("" when none).
std::string field(const std::string& line, const std::string& key) {
  const std::vector<std::string> words = wordsOf(line);
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i] == key) return words[i + 1];
  }
  return "";
}

TEST(UciSession, SeveralLinesOddsMateSearchAndOnePly) {
  const Session s = runScript(
      "uci\nsetoption name MultiPV value 3\nsetoption name UCI_ShowWDL value true\n"
      "position startpos moves e2e4\ngo depth 5\n"
      "setoption name MultiPV value 1\nsetoption name UCI_ShowWDL value false\n"
      "position fen 5r1k/p5pp/8/1P1pq3/P1p2nR1/Q7/5BPP/6K1 b - - 0 1\ngo mate 3\n"
      "position startpos\ngo mate 1\nposition startpos\ngo depth 1\n"
      "setoption name MultiPV value x\nquit\n");
  EXPECT_EQ(s.count("option name MultiPV type spin default 1 min 1 max 64"), 1) << s.text();
  EXPECT_EQ(s.count("option name UCI_ShowWDL type check default false"), 1);
  ASSERT_EQ(s.count("bestmove "), 4) << s.text();
  std::vector<std::string> bestmoves;
  for (const std::string& line : s.lines) {
    if (line.rfind("bestmove ", 0) == 0) bestmoves.push_back(wordsOf(line)[1]);
  }
  // Three lines per depth, ranked, distinct, best first, with odds.
  std::vector<std::string> firstMoves[6];
  std::string lineOne;
  for (const std::string& line : s.lines) {
    if (line.find(" multipv ") == std::string::npos) continue;
    const int depth = std::stoi(field(line, "depth"));
    const int rank = std::stoi(field(line, "multipv"));
    ASSERT_TRUE(depth >= 1 && depth <= 5) << line;
    EXPECT_EQ(rank, static_cast<int>(firstMoves[depth].size()) + 1) << line;
    firstMoves[depth].push_back(field(line, "pv"));
    const std::vector<std::string> w = wordsOf(line);
    const size_t at = std::find(w.begin(), w.end(), "wdl") - w.begin();
    ASSERT_LT(at + 3, w.size()) << line;
    EXPECT_EQ(std::stoi(w[at + 1]) + std::stoi(w[at + 2]) + std::stoi(w[at + 3]), 1000) << line;
    if (depth == 5 && rank == 1) lineOne = line;
  }
  for (int depth = 1; depth <= 5; ++depth) {
    ASSERT_EQ(firstMoves[depth].size(), 3u) << depth;
    EXPECT_NE(firstMoves[depth][0], firstMoves[depth][1]);
    EXPECT_NE(firstMoves[depth][1], firstMoves[depth][2]);
    EXPECT_NE(firstMoves[depth][0], firstMoves[depth][2]);
  }
  EXPECT_EQ(bestmoves[0], field(lineOne, "pv")) << "bestmove is line 1";
  // The mate in three, proven, with its first move played.
  const std::string mate = s.last("info depth 5 seldepth 5 score mate 3 ");
  ASSERT_NE(mate, "") << s.text();
  EXPECT_EQ(bestmoves[1], field(mate, "pv"));
  // No mate in one from the start: said, and still a move.
  EXPECT_EQ(s.count("info string mate search: no mate in 1"), 1);
  EXPECT_EQ(bestmoves[2].size(), 4u);
  // One ply: one iteration, depth 1.
  EXPECT_EQ(s.lines[s.lines.size() - 3].rfind("info depth 1 score ", 0), 0u) << s.text();
  EXPECT_EQ(s.count("info string setoption: MultiPV needs a number of lines, not: x"), 1);
}

// The root move being searched: not in the first second, then at most once
// a second (the search's node counts stay: search_bench pins them).
TEST(UciSession, CurrentMoveLinesComeOnceASecondAfterTheFirst) {
  EngineProcess engine(makeScratchDirectory("uci-currmove"));
  ASSERT_TRUE(engine.started());
  engine.send(
      "uci\nposition fen r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9\n"
      "go movetime 3300\n");
  const auto start = std::chrono::steady_clock::now();
  std::vector<double> seconds;
  std::string line;
  while (engine.readLine(line, 10000) && line.rfind("bestmove ", 0) != 0) {
    if (line.find(" currmove ") == std::string::npos) continue;
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    const std::vector<std::string> w = wordsOf(line);
    ASSERT_EQ(w.size(), 7u) << line;
    EXPECT_EQ(w[1], "depth");
    EXPECT_EQ(w[3], "currmove");
    EXPECT_EQ(w[4].size(), 4u) << line;
    EXPECT_EQ(w[5], "currmovenumber");
    EXPECT_GE(std::stoi(w[6]), 1);
  }
  ASSERT_EQ(line.rfind("bestmove ", 0), 0u) << engine.transcript();
  ASSERT_FALSE(seconds.empty()) << engine.transcript();
  EXPECT_GE(seconds.front(), 0.95);
  EXPECT_LE(seconds.size(), 3u);
  for (size_t i = 1; i < seconds.size(); ++i) EXPECT_GE(seconds[i] - seconds[i - 1], 0.9);
  engine.send("quit\n");
  EXPECT_EQ(engine.waitExit(ExitTimeoutMs), 0);
}

}  // namespace
