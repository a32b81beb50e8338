// Reading PGN games: results, skipping of annotations, given-up games, the
// errors that stop a conversion and the position kept unchanged throughout.
#include "tools/pgn.h"

#include <gtest/gtest.h>

#include <string>

#include "core/log.h"
#include "core/position.h"
#include "support/test_support.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

int sq(const char* name) { return squareOf(name[0] - 'a', name[1] - '0'); }
Move mv(const char* from, const char* to, int type = QuietMove) {
  return makeMoveValue(sq(from), sq(to), type);
}

std::string game(const char* result, const std::string& moves) {
  return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + "\n\n";
}

class PgnReading : public ::testing::Test {
 protected:
  void SetUp() override {
    setUpPosition(StartFen);
    startKey_ = Pos.key;
  }
  // The position must be the initial one after every game and every error.
  void expectStartPosition() {
    char fen[96];
    writeFen(fen);
    EXPECT_STREQ(fen, StartFen);
    EXPECT_EQ(Pos.key, startKey_);
  }
  uint16_t read(const std::string& text) {
    input_.openText(text);
    return next();
  }
  uint16_t next() {
    const uint16_t code = readPgnGame(input_, record_);
    expectStartPosition();
    return code;
  }
  // The text of the error the next game raises, or "" when it raises none.
  std::string errorOf(const std::string& text) {
    input_.openText(text);
    std::string raised;
    testing::internal::CaptureStdout();
    try {
      readPgnGame(input_, record_);
    } catch (const PgnError& error) {
      raised = error.text;
    }
    printed_ = testing::internal::GetCapturedStdout();
    expectStartPosition();
    return raised;
  }

  TextInput input_;
  GameRecord record_{};
  std::string printed_;
  uint64_t startKey_ = 0;
};

TEST_F(PgnReading, FinishedGameGivesItsMovesAndResult) {
  EXPECT_EQ(read(game("1-0", "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0")), WhiteWonCode);
  EXPECT_EQ(record_.header, 6 | WhiteWonCode);
  EXPECT_EQ(record_.moves[0], mv("e2", "e4"));
  EXPECT_EQ(record_.moves[3], mv("b8", "c6"));
  EXPECT_EQ(record_.moves[4], mv("f1", "b5"));
  EXPECT_STREQ(record_.resultText, "1-0");
  EXPECT_EQ(record_.resultChar, 'W');

  EXPECT_EQ(read(game("0-1", "1.f3 e5 2.g4 Qh4# 0-1")), BlackWonCode);
  EXPECT_EQ(record_.header, 4 | BlackWonCode);
  EXPECT_EQ(record_.resultChar, 'B');
  EXPECT_EQ(read(game("1/2-1/2", "1. Nf3 Nf6 2. Ng1 Ng8 1/2-1/2")), DrawCode);
  EXPECT_EQ(record_.resultChar, 'D');
}

TEST_F(PgnReading, MoveNumbersAreNeverTakenForTheResult) {
  std::string moves;
  for (int n = 1; n <= 12; ++n) {
    moves += std::to_string(n) + ". " + (n % 2 ? "Nf3 Nf6 " : "Ng1 Ng8 ");
  }
  EXPECT_EQ(read(game("1-0", moves + "1-0")), WhiteWonCode);
  EXPECT_EQ(record_.plyCount(), 24);
  // The game ends with its result even when more text follows on the line.
  EXPECT_EQ(read(game("1-0", "1. e4 1-0 e5")), WhiteWonCode);
  EXPECT_EQ(record_.plyCount(), 1);
}

TEST_F(PgnReading, CommentsVariationsAndAnnotationsArePassedOver) {
  const std::string moves =
      "{opening {nested} (comment} 1. e4 $1 {[%clk 0:03:00]} e5 "
      "(1... c5 (1... e6 2. d4) 2. Nf3 {a comment in a variation}) "
      "2. Nf3{glued} $14 Nc6 (2... d6 {and more}) 3. Bb5 $22 1/2-1/2";
  EXPECT_EQ(read(game("1/2-1/2", moves)), DrawCode);
  EXPECT_EQ(record_.plyCount(), 5);
  EXPECT_EQ(record_.moves[2], mv("g1", "f3"));
  EXPECT_EQ(record_.moves[4], mv("f1", "b5"));
}

TEST_F(PgnReading, CoordinateMovesAndCrlfLines) {
  const std::string text =
      "[Result \"1-0\"]\r\n\r\n1. e2e4 e7e5 2. g1f3 b8c6 3. f1c4 g8f6 4. e1g1 1-0\r\n";
  EXPECT_EQ(read(text), WhiteWonCode);
  EXPECT_EQ(record_.plyCount(), 7);
  EXPECT_EQ(record_.moves[6], WhiteKingSideCastle);
}

TEST_F(PgnReading, GamesThatAreSkipped) {
  // No moves, unfinished, and a final result that differs from the tag.
  input_.openText(game("1-0", "1-0") + game("*", "1. e4 e5 *") + game("0-1", "1. e4 e5 1-0") +
                  game("1-0", "1. d4 1-0"));
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(record_.resultChar, '*');
  testing::internal::CaptureStdout();
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "move: -0, plyNo:3\n");
  // Each skipped game leaves the input at the next one.
  EXPECT_EQ(next(), WhiteWonCode);
  EXPECT_EQ(record_.moves[0], mv("d2", "d4"));
  EXPECT_EQ(next(), 0);  // no further game
}

TEST_F(PgnReading, AnUnreadableMoveCostsOnlyItsGame) {
  const std::string scratch = makeScratchDirectory("pgn-log");
  openEngineLog((scratch + "/Veltor.log").c_str());
  input_.openText(game("1-0", "1. e4 e5 2. Zz9 Nc6 3. Bb5 {x} a6 1-0") +  // bad token mid-game
                  game("0-1", "1. e4 e5 2. Nf3 ; a comment\n Nc6 0-1") +  // ';' comment
                  "[Event \"u\"]\n[Result \"1-0\"]\n\n1. d4 d5\n" +       // no result
                  game("1/2-1/2", "1. c4 c5 2. Zz {[Event \"not a tag\"]\n[%clk 0:01]} 1/2-1/2") +
                  game("1/2-1/2", "1. Nf3 1/2-1/2"));
  testing::internal::CaptureStdout();
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(next(), 0);  // ends at the '[' of the next game's tags
  EXPECT_EQ(next(), 0);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(next(), DrawCode);
  EXPECT_EQ(record_.moves[0], mv("g1", "f3"));
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(printed,
            "move: Zz9, plyNo:3\nmove: ;, plyNo:4\nmove: [Event, plyNo:3\nmove: Zz, plyNo:3\n");
  EngineLog.flush();
  EXPECT_NE(readWholeFile(scratch + "/Veltor.log").find("Zz9ERROR\n"), std::string::npos);
  EngineLog.close();
}

TEST_F(PgnReading, LongTagLinesAndTokensAreCut) {
  const std::string longTag = "[Event \"" + std::string(2000, 'x') + "\"]\n";
  const std::string longResultLine = "[Result \"0-1\"" + std::string(600, ' ') + "]\n";
  EXPECT_EQ(read(longTag + longResultLine + "\n1. e4 e5 0-1\n"), BlackWonCode);
  EXPECT_EQ(record_.plyCount(), 2);
  // An over-long token is read ten characters at a time: its first part fails.
  testing::internal::CaptureStdout();
  EXPECT_EQ(read(game("1-0", "1. e4 Nf6yyyyyyyyyyyyyyyyyyyyyy 1-0")), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "move: Nf6yyyyyyy, plyNo:2\n");
}

TEST_F(PgnReading, GamesLongerThanTheRecordKeepTheirFirstPlies) {
  std::string moves;
  const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  constexpr int Plies = MaxGamePlies + 17;
  for (int p = 0; p < Plies; ++p) moves += std::string(cycle[p % 4]) + " ";
  EXPECT_EQ(read(game("1/2-1/2", moves + "1/2-1/2")), DrawCode);
  EXPECT_EQ(record_.plyCount(), MaxGamePlies);
  EXPECT_EQ(record_.moves[MaxGamePlies - 1], mv("f3", "g1"));
}

TEST_F(PgnReading, CommentLinesBetweenGamesArePassedOver) {
  input_.openText("; written by a tool\n%escaped line\n" + game("1-0", "1.e4 {c} 1-0") +
                  "; { Game Nr. 1 : a comment over\n; two lines }\n\n" +
                  "[Event \"t\"]\n; between tags\n[Result \"0-1\"]\n\n1. d4 0-1\n; trailing\n");
  EXPECT_EQ(next(), WhiteWonCode);
  EXPECT_EQ(next(), BlackWonCode);
  EXPECT_EQ(record_.moves[0], mv("d2", "d4"));
  EXPECT_EQ(next(), 0);
}

TEST_F(PgnReading, GamesSetUpFromAnotherPositionAreSkippedWhole) {
  input_.openText(
      "[Result \"1-0\"]\n[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/8/4K2R w K - 0 1\"]\n\n"
      "1. O-O {[%csl Gg1]\n[%cal Gf1f8]} Kd7 (1... Ke7\n2. Rh7+) 2. Rf7+ 1-0\n\n" +
      std::string("[Result \"0-1\"]\n[FEN \"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 "
                  "1\"]\n\n") +
      "1. e4 e5 0-1\n");
  EXPECT_EQ(next(), 0);
  // A FEN tag holding the standard start changes nothing.
  EXPECT_EQ(next(), BlackWonCode);
  EXPECT_EQ(record_.plyCount(), 2);
}

TEST_F(PgnReading, TagSectionEndsAtTheEndOfTheInput) {
  EXPECT_EQ(read(""), 0);
  EXPECT_EQ(read("\n\n  \r\n"), 0);
  EXPECT_EQ(read("[Event \"t\"]\n[Result \"1-0\"]\n"), 0);
  EXPECT_EQ(read("[Result \"1-0\"]\n1. e4"), WhiteWonCode);  // a result-less end is accepted
}

TEST_F(PgnReading, ErrorsThatStopTheConversion) {
  EXPECT_EQ(errorOf("[Result \"1-1\"]\n\n1. e4 1-0\n"), "Result Error 1");
  EXPECT_EQ(errorOf("[Result \"\"]\n\n1. e4 1-0\n"), "Result Error 1");
  EXPECT_EQ(errorOf("[Event \"t\"]\n[White \"w\"]\n\n1. e4 1-0\n"), "Result Error 2");
  EXPECT_EQ(errorOf("1. e4 e5 1-0\n"), "Result Error 2");
  EXPECT_EQ(errorOf("[Event \"t\"] [Result \"1-0\"]\n\n1. e4 1-0\n"), "Result Error 2");
  EXPECT_EQ(errorOf(game("1-0", "1. e4 e5 *")), "Result * error");
  EXPECT_EQ(errorOf(game("1-0", "1. e4 e5 1-1")), "wrong end result 1");
  // Castling with zeros in a game Black won looks like the result.
  EXPECT_EQ(errorOf(game("0-1", "1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. 0-0 Nxe4 0-1")),
            "wrong end result 1");

  EXPECT_EQ(errorOf(game("1-0", "1. e4 e5 2. e5 1-0")), "MOVE NOT LEGAL 1");
  EXPECT_NE(printed_.find("move: e5, plyNo:3\n"), std::string::npos);
  EXPECT_EQ(errorOf(game("1-0", "1. e4 e5 2. Ke3 1-0")), "MOVE NOT LEGAL 1");
  // The c3 knight is pinned once d2 has moved.
  EXPECT_EQ(errorOf(game("0-1", "1. e4 e5 2. Nc3 Bb4 3. d3 d6 4. Nd5 0-1")),
            "MOVE NOT LEGAL 2 - check revealed");
  EXPECT_NE(printed_.find("move: Nd5, plyNo:7\n"), std::string::npos);
  // Castling out of check is never played.
  EXPECT_NE(errorOf(game("1-0", "1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. d3 Bb4+ 5. O-O 1-0")), "");
}

}  // namespace
