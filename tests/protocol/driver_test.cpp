// The real binary driven the way XBoard and cutechess-cli drive it: features
// answered with "accepted", the time idiom before every move, moves both
// ways, pondering hits and misses, "force", "result", "quit". Every move the
// engine sends is checked against a copy of the game kept in this process.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
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

constexpr int ReplyTimeoutMs = 15000;
constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
// A short clock: 2 s for the game gives about 60 ms per move.
constexpr const char* ClockLine = "time 200\notim 200\n";

// The game as the interface sees it.
class GameCopy {
 public:
  void reset(const char* fen) { setUpPosition(fen); }
  bool legal(const std::string& text) const {
    Move m = textToMove(text.c_str());
    return m != 0 && isLegalMove(m);
  }
  void play(const std::string& text) { playGameMove(textToMove(text.c_str())); }
  // Legal moves in coordinate text.
  std::vector<std::string> legalMoves() const {
    std::vector<std::string> moves;
    const char files[] = "abcdefgh";
    for (int from = 0; from < 64; ++from) {
      for (int to = 0; to < 64; ++to) {
        for (const char* promotion : {"", "q", "n"}) {
          std::string text = {files[from & 7], static_cast<char>('8' - (from >> 3)), files[to & 7],
                              static_cast<char>('8' - (to >> 3))};
          text += promotion;
          if (legal(text)) moves.push_back(text);
        }
      }
    }
    return moves;
  }
};

class Driver : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureTablesInitialized();
    dir_ = makeScratchDirectory("driver");
    engine_ = std::make_unique<EngineProcess>(dir_);
    ASSERT_TRUE(engine_->started());
  }

  // The handshake as cutechess and XBoard do it: two lines, then one
  // "accepted" per feature once its line has arrived, up to done=1.
  void handshake() {
    std::string line;
    engine_->send("xboard\nprotover 2\n");
    ASSERT_TRUE(engine_->readLine(line, ReplyTimeoutMs));
    EXPECT_EQ(line, "");
    do {
      ASSERT_TRUE(engine_->readLine(line, ReplyTimeoutMs));
      ASSERT_EQ(line.rfind("feature ", 0), 0u) << line;
      std::istringstream words(line.substr(8));
      std::string word;
      while (words >> word) {
        if (word.find('=') != std::string::npos) {
          engine_->send("accepted " + word.substr(0, word.find('=')) + "\n");
        }
      }
    } while (line != "feature done=1");
  }

  // Waits for the engine's move, checks it against the game and plays it.
  std::string engineMove() {
    std::string line = engine_->waitForLine("move ", ReplyTimeoutMs);
    EXPECT_FALSE(line.empty()) << "no move; output so far:\n" << engine_->transcript();
    if (line.empty()) return "";
    std::string move = line.substr(5);
    EXPECT_TRUE(game_.legal(move)) << "illegal engine move " << move << "\n"
                                   << engine_->transcript();
    if (game_.legal(move)) game_.play(move);
    return move;
  }

  std::string log() const { return readWholeFile(dir_ + "/Veltor.log"); }

  // After the engine's last move: the reply it ponders on ("" when it does not
  // ponder). The time idiom ends the ponder search, whose end is logged.
  std::string ponderedReply(size_t logFrom) {
    engine_->send(ClockLine);
    for (int waited = 0; waited < ReplyTimeoutMs; waited += 10) {
      std::string text = log().substr(logFrom);
      size_t ponder = text.find("-ponder move: ");
      if (ponder != std::string::npos) {
        size_t end = text.find('\n', ponder);
        if (end != std::string::npos) return text.substr(ponder + 14, end - ponder - 14);
      }
      if (text.find("- NO ponder move\n") != std::string::npos) return "";
      usleep(10000);
    }
    ADD_FAILURE() << "no ponder report in the log";
    return "";
  }

  std::string dir_;
  std::unique_ptr<EngineProcess> engine_;
  GameCopy game_;
};

TEST_F(Driver, GameWithPonderHitsMissesAndIllegalMoves) {
  handshake();
  engine_->send("new\nrandom\nlevel 0 0:02 0\npost\nhard\n");
  game_.reset(StartFen);
  // The engine plays Black.
  engine_->send(std::string(ClockLine) + "e2e4\n");
  game_.play("e2e4");
  engineMove();

  bool hit = false;
  bool miss = false;
  bool refusedWhilePondering = false;
  for (int turn = 0; turn < 12 && !(hit && miss && refusedWhilePondering); ++turn) {
    size_t logFrom = log().size();
    std::string expected = ponderedReply(logFrom);
    std::vector<std::string> moves = game_.legalMoves();
    ASSERT_FALSE(moves.empty());
    if (!refusedWhilePondering && !expected.empty()) {
      // An illegal move while the reply is on the board: refused, nothing played.
      ASSERT_FALSE(game_.legal("h1h7"));
      engine_->send("h1h7\n");
      EXPECT_EQ(engine_->waitForLine("Illegal move: ", ReplyTimeoutMs), "Illegal move: h1h7");
      refusedWhilePondering = true;
    }
    std::string reply = moves.back();
    bool hitNow = false;
    if (!expected.empty() && !hit) {
      ASSERT_TRUE(game_.legal(expected)) << expected;
      reply = expected;
      hitNow = true;
    } else if (!expected.empty() && reply == expected) {
      reply = moves.front();
    }
    game_.play(reply);
    std::string keyText;
    {
      char line[40];
      std::snprintf(line, sizeof line, "%x %x\n", static_cast<unsigned>(Pos.key >> 32),
                    static_cast<unsigned>(Pos.key));
      keyText = line;
    }
    engine_->send(reply + "\n");
    std::string answer = engineMove();
    ASSERT_FALSE(answer.empty());
    std::string text = log().substr(logFrom);
    if (hitNow) {
      // A hit leaves what any game move leaves: its key line, then a search
      // that keeps the ponder clock.
      EXPECT_NE(text.find("-GOOD PONDER\n" + keyText + "-M: entered StartEngine, goodPonder: 1\n"),
                std::string::npos)
          << text;
      hit = true;
    } else if (!expected.empty()) {
      EXPECT_NE(text.find("-BAD PONDER\n" + keyText), std::string::npos) << text;
      miss = true;
    }
  }
  EXPECT_TRUE(hit);
  EXPECT_TRUE(miss);
  EXPECT_TRUE(refusedWhilePondering);

  // Game end as cutechess sends it.
  engine_->send("force\nresult 1-0 {White mates}\nquit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
  EXPECT_EQ(engine_->transcript().find("Illegal move: e"), std::string::npos);
}

TEST_F(Driver, ForceWhilePonderingActsOnTheGamePosition) {
  handshake();
  engine_->send("new\nhard\nlevel 0 0:02 0\n");
  game_.reset(StartFen);
  engine_->send(std::string(ClockLine) + "d2d4\n");
  game_.play("d2d4");
  engineMove();
  // The engine ponders now; "force" must take its expected reply back, so
  // that the moves the interface then feeds are read on the real game.
  engine_->send("force\n");
  for (int i = 0; i < 2; ++i) {
    std::string m = game_.legalMoves().front();
    game_.play(m);
    engine_->send(m + "\n");
  }
  engine_->send(std::string(ClockLine) + "go\n");
  engineMove();
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
  EXPECT_EQ(engine_->transcript().find("Illegal"), std::string::npos) << engine_->transcript();
}

TEST_F(Driver, BadInputThenANormalGame) {
  handshake();
  engine_->send("new\nforce\nsetboard 8/8/8/8/8/8/8/8 x - -\n" + std::string(10000, 'q') + "\n");
  engine_->send("e2e5\n");
  EXPECT_EQ(engine_->waitForLine("Illegal move", ReplyTimeoutMs), "Illegal move: e2e5");
  // XBoard's sequence for a new game, engine White, no pondering.
  engine_->send("new\nrandom\nlevel 40 0:02 0\npost\nhard\neasy\n");
  game_.reset(StartFen);
  engine_->send(std::string(ClockLine) + "go\n");
  engineMove();
  for (int turn = 0; turn < 6; ++turn) {
    std::vector<std::string> moves = game_.legalMoves();
    if (moves.empty()) break;
    std::string reply = moves[moves.size() / 2];
    game_.play(reply);
    engine_->send(std::string(ClockLine) + reply + "\n");
    if (engineMove().empty()) break;
  }
  std::string text = log();
  EXPECT_NE(text.find("-M: tellusererror Illegal position\n"), std::string::npos);
  EXPECT_EQ(text.find("-ponder move"), std::string::npos);
  engine_->send("result 0-1 {Black resigns}\nforce\nquit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
}

TEST_F(Driver, FinishedGamesAreAnnounced) {
  handshake();
  engine_->send("easy\nlevel 0 0:02 0\n");
  // Black to move is mated: the only output is the result line.
  engine_->send("setboard 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\n" + std::string(ClockLine) + "go\n");
  std::string line = engine_->waitForLine("1-0", ReplyTimeoutMs);
  EXPECT_EQ(line, "1-0 {Veltor mated 0}");
  // Stalemate.
  engine_->send("setboard 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\n" + std::string(ClockLine) + "go\n");
  EXPECT_EQ(engine_->waitForLine("1/2-1/2", ReplyTimeoutMs), "1/2-1/2 {Draw by stalemate (1)}");
  // A mate in one for White: the move, then the claim.
  game_.reset("7k/8/6K1/8/8/8/8/1Q6 w - - 0 1");
  engine_->send("setboard 7k/8/6K1/8/8/8/8/1Q6 w - - 0 1\n" + std::string(ClockLine) + "go\n");
  std::string mate = engineMove();
  std::string claim;
  ASSERT_TRUE(engine_->readLine(claim, ReplyTimeoutMs));
  EXPECT_EQ(claim, "1-0 {Veltor mates 1}") << mate;
  // The engine's only move repeats the set-up position a third time.
  game_.reset("1r5k/8/8/8/8/8/K7/8 b - - 0 1");
  engine_->send("force\nsetboard 1r5k/8/8/8/8/8/K7/8 b - - 0 1\n");
  for (const char* m : {"h8h7", "a2a1", "h7h8", "a1a2", "h8h7", "a2a1", "h7h8"}) {
    game_.play(m);
    engine_->send(std::string(m) + "\n");
  }
  engine_->send(std::string(ClockLine) + "go\n");
  EXPECT_EQ(engineMove(), "a1a2");
  ASSERT_TRUE(engine_->readLine(claim, ReplyTimeoutMs));
  EXPECT_EQ(claim, "1/2-1/2 {Draw by 3 fold repetition (22)}");
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
  EXPECT_EQ(engine_->transcript().find("move a8a8"), std::string::npos);
}

// Lines up to the answer to "ping N" (the answer not included).
std::vector<std::string> linesUpToPong(EngineProcess& engine, int number) {
  std::vector<std::string> lines;
  engine.send("ping " + std::to_string(number) + "\n");
  std::string line;
  while (engine.readLine(line, ReplyTimeoutMs) && line != "pong " + std::to_string(number)) {
    lines.push_back(line);
  }
  EXPECT_EQ(line, "pong " + std::to_string(number)) << engine.transcript();
  return lines;
}

// Lines up to the engine's move (the move not included).
std::vector<std::string> linesUpToMove(EngineProcess& engine) {
  std::vector<std::string> lines;
  std::string line;
  while (engine.readLine(line, ReplyTimeoutMs) && line.rfind("move ", 0) != 0)
    lines.push_back(line);
  EXPECT_EQ(line.rfind("move ", 0), 0u) << engine.transcript();
  return lines;
}

bool anyStartsWith(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

// Depth, time field and first move of a thinking line ("" when it is none).
struct Thinking {
  int depth = 0;
  int centiseconds = 0;
  std::string firstMove;
};
bool readThinking(const std::string& line, Thinking& t) {
  std::istringstream words(line);
  int score = 0;
  long nodes = 0;
  if (!(words >> t.depth >> score >> t.centiseconds >> nodes)) return false;
  words >> t.firstMove;
  return true;
}

TEST_F(Driver, HandshakeRepliesAreNeverAwaited) {
  // python-chess answers no feature: everything comes at once all the same.
  engine_->send("xboard\nprotover 2\nping 1\n");
  std::vector<std::string> lines = linesUpToPong(*engine_, 2);
  ASSERT_GE(lines.size(), 8u) << engine_->transcript();
  EXPECT_EQ(lines[1], "feature done=0");
  // done=1 ends the features, however many engine settings come before it.
  const auto done = std::find(lines.begin(), lines.end(), "feature done=1");
  ASSERT_NE(done, lines.end()) << engine_->transcript();
  for (auto later = done + 1; later != lines.end(); ++later)
    EXPECT_NE(later->rfind("feature ", 0), 0u);
  EXPECT_NE(lines[3].find(" ping=1 "), std::string::npos);
  EXPECT_NE(lines[3].find(" analyze=1 "), std::string::npos);
  EXPECT_NE(engine_->transcript().find("pong 1\n"), std::string::npos);
  // Late replies, each naming a command, are only replies.
  engine_->send(
      "accepted setboard\naccepted analyze\nrejected ping\naccepted memory\n"
      "accepted time\naccepted done\n");
  EXPECT_TRUE(linesUpToPong(*engine_, 3).empty()) << engine_->transcript();
}

TEST_F(Driver, PingIsAnsweredAfterTheMoveAndPonderingGoesOn) {
  handshake();
  engine_->send("new\nhard\nlevel 0 0:02 0\n" + std::string(ClockLine) + "e2e4\n");
  game_.reset(StartFen);
  game_.play("e2e4");
  std::vector<std::string> lines = linesUpToPong(*engine_, 9);
  EXPECT_TRUE(anyStartsWith(lines, "move ")) << engine_->transcript();
  // The ping interrupted the ponder search; it takes up its work again.
  std::string text;
  for (int waited = 0; waited < ReplyTimeoutMs; waited += 20) {
    text = log();
    if (text.find("-M: pondering resumed") != std::string::npos) break;
    usleep(20000);
  }
  EXPECT_NE(text.find("-M: pondering resumed"), std::string::npos);
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
}

TEST_F(Driver, FixedTimeFixedDepthAndThinkingOutput) {
  handshake();
  // st: about the time given, and thinking lines carry the elapsed time.
  engine_->send("new\nforce\npost\nst 0.6\n");
  linesUpToPong(*engine_, 1);
  auto start = std::chrono::steady_clock::now();
  engine_->send("go\n");
  std::string move = engine_->waitForLine("move ", ReplyTimeoutMs);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_FALSE(move.empty());
  EXPECT_GT(seconds, 0.35);
  EXPECT_LT(seconds, 2.0);
  int latest = 0;
  std::istringstream all(engine_->transcript());
  for (std::string line; std::getline(all, line);) {
    Thinking t;
    if (readThinking(line, t)) latest = t.centiseconds;
  }
  EXPECT_GT(latest, 10) << engine_->transcript();

  // sd: the last thinking line is that depth; "new" ends the limit.
  // (Input stops a search: each "go" is left alone until its move.)
  engine_->send("new\nforce\nlevel 0 5 0\nsd 3\ngo\n");
  std::vector<std::string> lines = linesUpToMove(*engine_);
  Thinking last;
  for (const std::string& line : lines) readThinking(line, last);
  EXPECT_EQ(last.depth, 3) << engine_->transcript();
  engine_->send("new\nforce\ngo\n");
  lines = linesUpToMove(*engine_);
  for (const std::string& line : lines) readThinking(line, last);
  EXPECT_GT(last.depth, 3) << engine_->transcript();
  // nopost: the move alone.
  engine_->send("new\nforce\nnopost\nsd 4\ngo\n");
  EXPECT_TRUE(linesUpToMove(*engine_).empty()) << engine_->transcript();
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
}

TEST_F(Driver, AnalysisFollowsTheBoardAndNeverMoves) {
  handshake();
  engine_->send("new\nforce\npost\nanalyze\n");
  game_.reset(StartFen);
  // Each position gets its own thinking lines; ping marks where they begin.
  auto nextThinking = [&](Thinking& t) {
    std::string line;
    while (engine_->readLine(line, ReplyTimeoutMs)) {
      if (readThinking(line, t)) return true;
    }
    return false;
  };
  Thinking t;
  ASSERT_TRUE(nextThinking(t));
  engine_->send("e2e4\n");
  game_.play("e2e4");
  linesUpToPong(*engine_, 1);
  ASSERT_TRUE(nextThinking(t));
  EXPECT_TRUE(game_.legal(t.firstMove)) << t.firstMove;  // a Black move
  engine_->send(".\nundo\n");
  game_.reset(StartFen);
  linesUpToPong(*engine_, 2);
  ASSERT_TRUE(nextThinking(t));
  EXPECT_TRUE(game_.legal(t.firstMove)) << t.firstMove;  // a White move again
  engine_->send("setboard 7k/8/6K1/8/8/8/8/1Q6 w - - 0 1\n");
  linesUpToPong(*engine_, 3);
  ASSERT_TRUE(nextThinking(t));
  EXPECT_TRUE(t.firstMove == "b1b8" || t.firstMove == "b1h1") << t.firstMove;
  // exit ends the analysis: nothing follows the answer to a ping.
  engine_->send("exit\n");
  linesUpToPong(*engine_, 4);
  std::string line;
  EXPECT_FALSE(engine_->readLine(line, 300)) << line;
  EXPECT_EQ(engine_->transcript().find("move "), std::string::npos) << engine_->transcript();
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
}

// A client analysing to a depth waits for that depth: mate scores, a mated
// side and a stalemate do not end the deepening early.
TEST_F(Driver, AnalysisDeepensPastMatesAndPositionsWithoutAMove) {
  handshake();
  engine_->send("post\n");
  int ping = 10;
  for (const char* fen :
       {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1",
        "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"}) {
    SCOPED_TRACE(fen);
    engine_->send(std::string("setboard ") + fen + "\nanalyze\n");
    Thinking t;
    std::string line;
    while (t.depth < 8 && engine_->readLine(line, 5000)) readThinking(line, t);
    EXPECT_GE(t.depth, 8) << engine_->transcript();
    engine_->send("exit\n");
    linesUpToPong(*engine_, ++ping);
  }
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
}

// After a takeback the table keeps the deeper entry of the move taken back;
// the thinking line still shows the variation of the move the engine plays.
TEST_F(Driver, ThinkingAfterATakebackStartsWithTheMovePlayed) {
  handshake();
  engine_->send("new\nforce\npost\nsd 8\ngo\n");
  linesUpToMove(*engine_);
  engine_->send("force\nundo\nsd 4\ngo\n");
  const std::vector<std::string> lines = linesUpToMove(*engine_);
  const std::string move =
      engine_->transcript().substr(engine_->transcript().rfind("move ") + 5, 4);
  Thinking last;
  for (const std::string& line : lines) readThinking(line, last);
  EXPECT_EQ(last.depth, 4) << engine_->transcript();
  EXPECT_EQ(last.firstMove, move) << engine_->transcript();
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
}

// Analysis with two lines per depth, the odds on every line and moves taken
// out of it the way XBoard and python-chess do ("exclude"/"include"); a move
// played brings every move back.
TEST_F(Driver, AnalysisLinesExclusionsAndOdds) {
  handshake();
  engine_->send(
      "option MultiPV=abc\noption MultiPV=2\noption ShowWDL=1\nnew\nforce\nexclude e2e4\n"
      "exclude e9e9\ninclude nothing\nanalyze\n");
  // The next `count` thinking lines; every one carries odds adding up to 100%.
  auto thinking = [&](size_t count) {
    std::vector<std::pair<Thinking, std::string>> lines;
    std::string line;
    while (lines.size() < count && engine_->readLine(line, ReplyTimeoutMs)) {
      Thinking t;
      if (!readThinking(line, t)) continue;
      int w[2], d[2], l[2];
      const size_t odds = line.find('{');
      EXPECT_TRUE(odds != std::string::npos &&
                  std::sscanf(line.c_str() + odds, "{W %d.%d%% D %d.%d%% L %d.%d%%}", &w[0], &w[1],
                              &d[0], &d[1], &l[0], &l[1]) == 6)
          << line;
      EXPECT_EQ(10 * (w[0] + d[0] + l[0]) + w[1] + d[1] + l[1], 1000) << line;
      lines.emplace_back(t, line);
    }
    EXPECT_EQ(lines.size(), count) << engine_->transcript();
    return lines;
  };
  // Two lines per depth, distinct, best first, never the excluded move.
  auto lines = thinking(8);
  for (size_t i = 0; i + 1 < lines.size(); i += 2) {
    const Thinking& first = lines[i].first;
    const Thinking& second = lines[i + 1].first;
    EXPECT_EQ(first.depth, second.depth) << lines[i + 1].second;
    EXPECT_NE(first.firstMove, second.firstMove) << lines[i + 1].second;
    for (const Thinking* t : {&first, &second}) EXPECT_NE(t->firstMove, "e2e4");
  }
  // Everything excluded: silence; one move included: that move alone.
  engine_->send("exclude all\n");
  linesUpToPong(*engine_, 1);
  std::string line;
  EXPECT_FALSE(engine_->readLine(line, 300)) << line;
  engine_->send("include g1f3\n");
  linesUpToPong(*engine_, 2);
  for (const auto& [t, text] : thinking(3)) EXPECT_EQ(t.firstMove, "g1f3") << text;
  // A move played: a new position, every move of it in the analysis again.
  engine_->send("e2e4\n");
  linesUpToPong(*engine_, 3);
  lines = thinking(6);
  std::set<std::string> replies;
  for (const auto& [t, text] : lines) replies.insert(t.firstMove);
  EXPECT_GE(replies.size(), 2u);
  engine_->send("exit\nquit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
  EXPECT_EQ(engine_->transcript().find("move "), std::string::npos);
}

TEST_F(Driver, CommandsThatTakeTheMoveAwayWithholdIt) {
  handshake();
  for (const char* command : {"force", "new", "undo", "setboard 4k3/8/8/8/8/8/8/4K2R w K - 0 1"}) {
    engine_->send(std::string("new\nforce\ne2e4\nst 30\ngo\n"));
    usleep(200000);
    engine_->send(std::string(command) + "\n");
    std::vector<std::string> lines = linesUpToPong(*engine_, 5);
    EXPECT_FALSE(anyStartsWith(lines, "move ")) << command << "\n" << engine_->transcript();
  }
  // "?" still moves at once.
  engine_->send("new\nforce\nst 30\ngo\n");
  usleep(200000);
  auto start = std::chrono::steady_clock::now();
  engine_->send("?\n");
  EXPECT_FALSE(engine_->waitForLine("move ", ReplyTimeoutMs).empty());
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
}

TEST_F(Driver, MateOnTheHundredthReversiblePlyIsAMate) {
  handshake();
  // 99 reversible plies without a threefold repetition: the rook walks over
  // a1-f7 (and part of the way back) while the king steps between h8 and g8;
  // then the rook mates on the last rank.
  std::string script = "new\nforce\nsetboard 7k/8/6K1/8/8/8/8/R7 b - - 0 1\n";
  std::vector<std::string> path;
  for (int rank = 1; rank <= 7; ++rank) {
    for (int i = 0; i < 6; ++i) {
      char file = static_cast<char>(rank % 2 == 1 ? 'a' + i : 'f' - i);
      path.push_back(std::string(1, file) + static_cast<char>('0' + rank));
    }
  }
  path.insert(path.end(), path.rbegin() + 1, path.rbegin() + 9);
  game_.reset("7k/8/6K1/8/8/8/8/R7 b - - 0 1");
  for (int ply = 0, step = 0; ply < 99; ++ply) {
    std::string m = ply % 2 == 0 ? (ply % 4 == 0 ? "h8g8" : "g8h8") : path[step] + path[step + 1];
    if (ply % 2 == 1) ++step;
    ASSERT_TRUE(game_.legal(m)) << m << " at ply " << ply;
    game_.play(m);
    script += m + "\n";
  }
  engine_->send(script + "level 0 0:10 0\ntime 1000\notim 1000\ngo\n");
  std::string mate = engineMove();
  std::string claim;
  ASSERT_TRUE(engine_->readLine(claim, ReplyTimeoutMs));
  EXPECT_EQ(claim, "1-0 {Veltor mates 1}") << mate << "\n" << engine_->transcript();
  engine_->send("quit\n");
  EXPECT_EQ(engine_->waitExit(ReplyTimeoutMs), 0);
}

}  // namespace
