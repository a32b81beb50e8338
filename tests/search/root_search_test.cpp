// The whole search: drawn and moveless roots, stops by clock and input, the
// answer left by an interrupted first iteration, thinking output, the log,
// and the principal variation read from the table.
#include "search/root_search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "core/log.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "mate_oracle.h"
#include "protocol/thinking_output.h"
#include "search/search_control.h"
#include "search_fixture.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* Middlegame =
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 1";

bool isLegalHere(Move m) {
  for (Move legal : mate_oracle::legalMoves(0)) {
    if (legal == m) return true;
  }
  return false;
}

class RootSearchTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    directory_ = makeScratchDirectory("search");
    ASSERT_FALSE(directory_.empty());
    logPath_ = directory_ + "/search.log";
    openEngineLog(logPath_.c_str());
    setSearchReporter(&ThinkingOutput);  // the xboard thinking lines
  }
  void TearDown() override {
    setSearchReporter(nullptr);
    PonderingSearch = false;
    EngineLog.close();
    SearchTest::TearDown();
  }
  std::string log() {
    EngineLog.flush();
    return readWholeFile(logPath_);
  }
  static int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  std::string directory_;
  std::string logPath_;
};

TEST_F(RootSearchTest, DrawnRootReturnsTheResultCodeWithoutSearching) {
  setUp(StartFen);
  for (int round = 0; round < 2; ++round) {
    for (const char* text : {"g1f3", "g8f6", "f3g1", "f6g8"})
      ASSERT_TRUE(makeGameMove(textToMove(text)));
  }
  EXPECT_EQ(iterativeDeepening(), RepetitionDraw);
  EXPECT_EQ(SearchBestScore, 0);
  EXPECT_EQ(log().find("-FEN:"), std::string::npos);
}

TEST_F(RootSearchTest, MovelessRootsGiveMateOrStalemate) {
  setUp("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
  MaxSearchDepth = 6;
  EXPECT_EQ(iterativeDeepening(), Stalemated);
  EXPECT_EQ(SearchBestScore, 0);
  EXPECT_NE(log().find("-----STALEMATED---"), std::string::npos);

  setUp("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  EXPECT_EQ(iterativeDeepening(), Checkmated);
  EXPECT_EQ(SearchBestScore, -MateBase);
}

TEST_F(RootSearchTest, MateReportsEndTheSearchAfterTheFourth) {
  setUp("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
  MaxSearchDepth = 40;
  EXPECT_EQ(iterativeDeepening(), textToMove("a1a8"));
  EXPECT_EQ(SearchBestScore, MateBase - 1);
  EXPECT_EQ(occurrences(log(), "--- MATE: 8099\n"), MateReportsToStop);
  EXPECT_EQ(IterationDepth, 2 + MateReportsToStop - 1);
}

TEST_F(RootSearchTest, ThinkingLinesAndLogLinesPerIteration) {
  setUp(Middlegame);
  MaxSearchDepth = 4;
  testing::internal::CaptureStdout();
  iterativeDeepening();
  const std::string out = testing::internal::GetCapturedStdout();
  std::istringstream lines(out);
  std::string text;
  int depth = 1;
  while (std::getline(lines, text)) {
    // "    depth     score     time     nodes  " and the moves, each with a space.
    int d = 0, score = 0, time = 0, nodes = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "%d %d %d %d", &d, &score, &time, &nodes), 4) << text;
    char fields[96];
    std::snprintf(fields, sizeof fields, "    %d     %d     %d     %d  ", d, score, time, nodes);
    ASSERT_EQ(text.compare(0, std::strlen(fields), fields), 0) << text;
    std::istringstream moves(text.substr(std::strlen(fields)));
    std::string move;
    int count = 0;
    while (moves >> move) {
      ++count;
      const bool square1 =
          move.size() >= 4 && move[0] >= 'a' && move[0] <= 'h' && move[1] >= '1' && move[1] <= '8';
      const bool square2 =
          move.size() >= 4 && move[2] >= 'a' && move[2] <= 'h' && move[3] >= '1' && move[3] <= '8';
      const bool piece = move.size() == 4 || (move.size() == 5 && std::strchr("qrbn", move[4]));
      EXPECT_TRUE(square1 && square2 && piece) << text;
    }
    EXPECT_GT(count, 0) << text;
    EXPECT_EQ(text.back(), ' ') << text;
    EXPECT_EQ(d, ++depth);
  }
  EXPECT_EQ(depth, 4);
  const std::string logged = log();
  EXPECT_NE(logged.find("---------- brak hm na poczatku!!!\n"), std::string::npos);
  EXPECT_NE(logged.find("-FEN:\tr1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ -"),
            std::string::npos);
  EXPECT_NE(logged.find("-E: 4:\t"), std::string::npos);
  EXPECT_EQ(occurrences(logged, "-PONDER:"), 0);
}

TEST_F(RootSearchTest, PonderingPrintsNothingAndMarksTheLog) {
  setUp(Middlegame);
  MaxSearchDepth = 3;
  PonderingSearch = true;
  testing::internal::CaptureStdout();
  iterativeDeepening();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  const std::string logged = log();
  EXPECT_EQ(occurrences(logged, "-PONDER:\n-E: "), 2);
  EXPECT_EQ(occurrences(logged, "-E: "), 2);
}

TEST_F(RootSearchTest, ClockEndsTheSearchButNeverTheFirstIteration) {
  setUp(Middlegame);
  MaxSearchDepth = 127;
  MoveTimeBudget = 0;  // already up when the search starts
  testing::internal::CaptureStdout();
  const Move best = iterativeDeepening();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(StopSearch);
  EXPECT_EQ(out.rfind("    2 ", 0), 0u) << "the first iteration completes";
  EXPECT_EQ(occurrences(out, "\n"), 1) << "the second is cut: one thinking line\n" << out;
  EXPECT_TRUE(isLegalHere(best));

  setUp(Middlegame);
  MoveTimeBudget = 150;
  SearchStartClock = clockMs();
  StopSearch = false;
  testing::internal::CaptureStdout();
  iterativeDeepening();
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(StopSearch);
  EXPECT_LT(clockMs() - SearchStartClock, 150 + 2000) << "the budget is kept";
  EXPECT_EQ(MoveTimeBudget, 150) << "any extra for a fail low is taken back";
}

TEST_F(RootSearchTest, InputEndsAPonderSearch) {
  setUp(Middlegame);
  MaxSearchDepth = 127;
  PonderingSearch = true;
  sendInput("usermove e7e5\n");
  const int32_t started = clockMs();
  const Move best = iterativeDeepening();
  EXPECT_TRUE(StopSearch);
  EXPECT_LT(clockMs() - started, 5000);
  EXPECT_TRUE(isLegalHere(best));
}

// An interrupted first iteration: a deep exact root entry makes the first
// iteration long, and pending input stops it at the first poll.
Move interruptedFirstIteration(Move hashMove) {
  store(Pos.key, Pos.side, hashMove, 0, 10, ExactBound);
  MaxSearchDepth = 127;
  PonderingSearch = true;
  return iterativeDeepening();
}

TEST_F(RootSearchTest, InterruptedFirstIterationStillLeavesALegalMove) {
  setUp(Middlegame);
  sendInput("?\n");
  // A marker where a move should be: never a move to play.
  const Move best = interruptedFirstIteration(StandPat);
  EXPECT_TRUE(StopSearch);
  EXPECT_TRUE(isRealMove(best));
  EXPECT_TRUE(isLegalHere(best)) << best;
  EXPECT_EQ(best, SearchBestMove);

  // A real move from another position (a colliding key) is not played either.
  setUp(Middlegame);
  const Move foreign = makeMoveValue(squareOf(4, 1), squareOf(4, 3), QuietMove);  // e1e3
  EXPECT_TRUE(isLegalHere(interruptedFirstIteration(foreign)));
  EXPECT_NE(SearchBestMove, foreign);

  // A legal table move is kept.
  setUp(Middlegame);
  const Move castle = WhiteKingSideCastle;
  ASSERT_FALSE(isLegalHere(castle)) << "the bishop still stands on f1";
  const Move developing = textToMove("f1e2");
  EXPECT_EQ(interruptedFirstIteration(developing), developing);
}

TEST_F(RootSearchTest, NoIterationAtAllStillAnswers) {
  setUp(StartFen);
  MaxSearchDepth = 1;  // below the first iteration's depth
  const Move best = iterativeDeepening();
  EXPECT_TRUE(isLegalHere(best));

  setUp("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  EXPECT_EQ(iterativeDeepening(), Checkmated);
}

// A quiet move from coordinate text, whatever the side to move.
Move quiet(const char* text) {
  return makeMoveValue(squareOf(text[0] - 'a', text[1] - '0'),
                       squareOf(text[2] - 'a', text[3] - '0'), QuietMove);
}

// Stores `moves` as the table's line from the current position.
void storeLine(std::initializer_list<const char*> moves) {
  PlyState records[16];
  Move made[16];
  int n = 0;
  for (const char* text : moves) {
    const Move m = quiet(text);
    store(Pos.key, Pos.side, m, 0, 5, ExactBound);
    savePlyState(records[n]);
    makeMove(m, records[n]);
    made[n++] = m;
  }
  while (n > 0) {
    --n;
    unmakeMove(made[n], records[n]);
  }
}

TEST_F(RootSearchTest, PrincipalVariationFollowsTheTable) {
  setUp(StartFen);
  char text[PrincipalVariationTextSize];
  principalVariationText(text, 12);
  EXPECT_STREQ(text, "");

  storeLine({"e2e4", "e7e5"});
  const uint64_t key = Pos.key;
  EXPECT_EQ(principalVariationText(text, 12) - text, 10);
  EXPECT_STREQ(text, "e2e4 e7e5 ");
  EXPECT_EQ(Pos.key, key);
  EXPECT_EQ(CurrentPly, PlyStack);
  EXPECT_TRUE(positionIsConsistent());

  principalVariationText(text, 1);
  EXPECT_STREQ(text, "e2e4 ");
  principalVariationText(text, 0);
  EXPECT_STREQ(text, "");
}

TEST_F(RootSearchTest, PrincipalVariationStopsAtTwelveMovesAndShowsMarkers) {
  // Knights shuffling for ever: the walk ends after twelve moves.
  setUp(StartFen);
  storeLine({"g1f3", "g8f6", "f3g1", "f6g8"});
  char text[PrincipalVariationTextSize];
  principalVariationText(text, 40);
  EXPECT_STREQ(text, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 ");

  // Every table marker and a move that cannot be played here end the
  // variation without a word: thinking lines carry moves only.
  setUp("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  int depth = 5;
  for (Move marker : {Checkmated, Stalemated, RepetitionDraw, NullMoveMarker, StandPat}) {
    store(Pos.key, Pos.side, marker, 0, ++depth, ExactBound);
    testing::internal::CaptureStdout();
    principalVariationText(text, 12);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_STREQ(text, "") << marker;
  }
  setUp(StartFen);
  storeLine({"e2e4"});
  savePlyState(PlyStack[1]);
  makeMove(quiet("e2e4"), PlyStack[1]);
  store(Pos.key, Pos.side, StandPat, 0, 9, ExactBound);
  unmakeMove(quiet("e2e4"), PlyStack[1]);
  principalVariationText(text, 12);
  EXPECT_STREQ(text, "e2e4 ");
  setUp(StartFen);
  store(Pos.key, Pos.side, quiet("e4e5"), 12, 4, LowerBound);
  testing::internal::CaptureStdout();
  principalVariationText(text, 12);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_STREQ(text, "");
  EXPECT_TRUE(positionIsConsistent());
}

}  // namespace
