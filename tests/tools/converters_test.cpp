// The five converters on small files in a scratch directory: messages, file
// contents, duplicate detection, corrupt game files and round trips.
#include "tools/converters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/position.h"
#include "support/test_support.h"
#include "tools/game_file.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string game(const char* result, const std::string& moves) {
  return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + "\n\n";
}

// Plies of knight moves that never repeat a whole game of the same length.
std::string knightShuffle(int plies) {
  const char* cycle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
  std::string moves;
  for (int p = 0; p < plies; ++p) {
    if (p % 2 == 0) moves += std::to_string(p / 2 + 1) + ". ";
    moves += std::string(cycle[p % 4]) + " ";
  }
  return moves;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string bytesOf(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// A game record's bytes: header then moves, little-endian.
std::string record(uint16_t header, const std::vector<Move>& moves) {
  std::string s = bytesOf({header & 0xFF, header >> 8});
  for (Move m : moves) s += bytesOf({m & 0xFF, m >> 8});
  return s;
}

class Converters : public ::testing::Test {
 protected:
  void SetUp() override {
    setUpPosition(StartFen);
    ASSERT_NO_FATAL_FAILURE(scratch_.enter("converters"));
    openEngineLog("Veltor.log");
  }
  void TearDown() override {
    EngineLog.close();
    scratch_.leave();
    // The position is the initial one again after every command.
    char fen[96];
    writeFen(fen);
    EXPECT_STREQ(fen, StartFen);
  }
  template <typename Run>
  std::string output(Run run) {
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
  }
  std::string log() {
    EngineLog.flush();
    return readWholeFile("Veltor.log");
  }
  std::string allPositionLines() {
    std::string all;
    for (int k = 0; k < PositionFileCount; ++k) {
      char name[8];
      std::snprintf(name, sizeof name, "%X.pos", k);
      all += readWholeFile(name);
    }
    return all;
  }

  ScratchDirectory scratch_;
};

TEST_F(Converters, PgnToPosWritesSixtyFourPliesPerGameByKeyDigit) {
  writeFile("g.pgn", game("1-0", knightShuffle(10) + "1-0") +
                         game("0-1", knightShuffle(100) + "0-1") + game("*", "1. e4 *"));
  const std::string printed = output([] { pgnToPos("g.pgn"); });
  EXPECT_EQ(printed,
            "Warning: game 3 (skipped) file: g.pgn\n"
            "converted: 2 games. (skipped: 1)\n"
            "file: g.pgn \t\tfinished\n");
  EXPECT_NE(log().find("<<< OK:\tg.pgn\t>>>\n"), std::string::npos);

  int perGame[2][65] = {};
  int lineCount = 0;
  for (int k = 0; k < PositionFileCount; ++k) {
    char name[8];
    std::snprintf(name, sizeof name, "%X.pos", k);
    for (const std::string& line : splitLines(readWholeFile(name))) {
      ++lineCount;
      // KEY \t FEN \t R \t ply, the key's first digit naming the file.
      ASSERT_EQ(line.size() > 17 ? line[16] : 0, '\t') << line;
      EXPECT_EQ(line[0], "0123456789ABCDEF"[k]) << line;
      std::istringstream fields(line);
      std::string key, placement, side, castling, ep, result;
      int ply = 0;
      std::getline(fields, key, '\t');
      fields >> placement >> side >> castling >> ep >> result >> ply;
      ASSERT_TRUE(result == "W" || result == "B") << line;
      ASSERT_TRUE(ply >= 1 && ply <= 64) << line;
      ++perGame[result == "W" ? 0 : 1][ply];
      // The line's key and FEN belong to the same position.
      ASSERT_TRUE(readFen((placement + " " + side + " " + castling + " " + ep).c_str())) << line;
      char hex[17];
      std::snprintf(hex, sizeof hex, "%016llX", static_cast<unsigned long long>(Pos.key));
      EXPECT_EQ(key, hex) << line;
      EXPECT_EQ(side, ply % 2 == 1 ? "w" : "b") << line;
    }
  }
  readFen(StartFen);
  EXPECT_EQ(lineCount, 10 + 64);
  for (int p = 1; p <= 64; ++p) {
    EXPECT_EQ(perGame[0][p], p <= 10 ? 1 : 0) << p;
    EXPECT_EQ(perGame[1][p], 1) << p;
  }
}

TEST_F(Converters, PgnToPosEmptiesItsFilesAndHandlesAnEmptyInput) {
  writeFile("7.pos", "old line\n");
  writeFile("empty.pgn", "");
  EXPECT_EQ(output([] { pgnToPos("empty.pgn"); }),
            "converted: 0 games. (skipped: 0)\nfile: empty.pgn \t\tfinished\n");
  EXPECT_EQ(allPositionLines(), "");
  EXPECT_EQ(output([] { pgnToPos("missing.pgn"); }), "Cannot open PGN input file: 'missing.pgn'\n");
  // Comment lines after the last game are no further game.
  writeFile("c.pgn", "; made by hand\n" + game("1-0", "1. e4 1-0") + "; { the end }\n\n");
  EXPECT_EQ(output([] { pgnToPos("c.pgn"); }),
            "converted: 1 games. (skipped: 0)\nfile: c.pgn \t\tfinished\n");
}

TEST_F(Converters, ReaderErrorsEndTheConversion) {
  const std::string good = game("1-0", "1. e4 e5 2. Nf3 1-0");
  const std::pair<std::string, std::string> cases[] = {
      {"[Result \"2-0\"]\n\n1. e4 1-0\n", "Result Error 1"},
      {"[Event \"x\"]\n\n1. e4 1-0\n", "Result Error 2"},
      {game("1-0", "1. e4 e5 * 1-0"), "Result * error"},
      {game("0-1", "1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. 0-0 0-1"), "wrong end result 1"},
      {game("1-0", "1. e4 e5 2. Ke3 1-0"), "MOVE NOT LEGAL 1"},
      {game("0-1", "1. e4 e5 2. Nc3 Bb4 3. d3 d6 4. Nd5 0-1"), "MOVE NOT LEGAL 2 - check revealed"},
  };
  for (const auto& [bad, text] : cases) {
    writeFile("bad.pgn", good + bad + good);
    const std::string printed = output([] { pgnToPos("bad.pgn"); });
    EXPECT_NE(printed.find("converted: 1 games. (skipped: 0)\nERROR: " + text + " file: bad.pgn\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(printed.find("finished"), std::string::npos);
    const std::string logged = log();
    EXPECT_NE(logged.find("converted: 1\tskipped: 0\nERROR: " + text + "\n"), std::string::npos)
        << logged;
    // The game converted before the error stays in the outputs.
    EXPECT_EQ(splitLines(allPositionLines()).size(), 3u) << text;
  }
}

TEST_F(Converters, AnUnreadableMoveCostsOneGame) {
  writeFile("g.pgn", game("1-0", "1. e4 e5 1-0") +
                         game("1-0", "1. e4 e5 2. Nf3 ?? Nc6 3. Bb5 1-0") +
                         game("0-1", "1. d4 d5 0-1"));
  const std::string printed = output([] { pgnToGame("g.pgn", "g.bin"); });
  EXPECT_EQ(printed,
            "move: ??, plyNo:4\n"
            "Warning: game 2 (skipped) file: g.pgn\n"
            "converted: 2 games. (skipped: 1)\n"
            "file: g.pgn \t\tfinished\n");
  EXPECT_NE(log().find("??ERROR\n"), std::string::npos);
}

TEST_F(Converters, PgnToGameWritesRecordsAndSkipsDuplicates) {
  writeFile("a.pgn", game("1-0", "1. e4 e5 1-0") + game("1/2-1/2", "1. e4 e5 2. Nf3 1/2-1/2") +
                         game("1-0", "1. e4 e5 1-0"));
  EXPECT_EQ(output([] { pgnToGame("a.pgn", "g.bin"); }),
            "Warning: game 3 (skipped) file: a.pgn\n"
            "converted: 2 games. (skipped: 1)\n"
            "file: a.pgn \t\tfinished\n");
  const std::string first = readWholeFile("g.bin");
  EXPECT_EQ(first.substr(0, 6), bytesOf({0x02, 0x80, 0x24, 0x0D, 0x1C, 0x03}));
  EXPECT_EQ(first.size(), 6u + 8u);

  // A second run adds nothing; a game differing only in its result is new.
  EXPECT_EQ(output([] { pgnToGame("a.pgn", "g.bin"); }),
            "Warning: game 1 (skipped) file: a.pgn\n"
            "Warning: game 2 (skipped) file: a.pgn\n"
            "Warning: game 3 (skipped) file: a.pgn\n"
            "converted: 0 games. (skipped: 3)\n"
            "file: a.pgn \t\tfinished\n");
  EXPECT_EQ(readWholeFile("g.bin"), first);
  writeFile("b.pgn", game("0-1", "1. e4 e5 0-1"));
  output([] { pgnToGame("b.pgn", "g.bin"); });
  EXPECT_EQ(readWholeFile("g.bin"), first + bytesOf({0x02, 0x40, 0x24, 0x0D, 0x1C, 0x03}));
}

TEST_F(Converters, PgnToGameRefusesACorruptGameFile) {
  writeFile("a.pgn", game("1-0", "1. e4 e5 1-0"));
  const std::string valid = record(WhiteWonCode | 1, {0x0D24});
  const std::pair<std::string, int> cases[] = {
      {valid + valid + record(0 | 1, {0x0D24}), 3},            // result code 0
      {valid + record(DrawCode | (MaxGamePlies + 1), {}), 2},  // too many plies
      {valid + record(DrawCode | 3, {0x0D24}), 2},             // cut short
      {valid + bytesOf({0x01}), 2},                            // stray byte would misalign
  };
  for (const auto& [bytes, bad] : cases) {
    writeFile("g.bin", bytes);
    EXPECT_EQ(output([] { pgnToGame("a.pgn", "g.bin"); }),
              "Game file corrupted! (error on game: " + std::to_string(bad) + ")\n");
    EXPECT_EQ(readWholeFile("g.bin"), bytes);
  }
}

TEST_F(Converters, GameToPgnValidatesFirstAndReportsProgress) {
  writeFile("empty.bin", "");
  EXPECT_EQ(output([] { gameToPgn("empty.bin", "out.pgn"); }),
            "Converting 0 games [  0%]...OK\nconverted: 0 games.\n");
  EXPECT_EQ(readWholeFile("out.pgn"), "");

  const std::string valid = record(WhiteWonCode | 2, {0x0D24, 0x031C});
  writeFile("bad.bin", valid + valid + record(2, {0x0D24, 0x031C}) + valid);
  EXPECT_EQ(output([] { gameToPgn("bad.bin", "bad.pgn"); }),
            "Game file corrupted! (error on game: 3)");
  EXPECT_EQ(readWholeFile("bad.pgn"), "");
  writeFile("long.bin",
            record(DrawCode | (MaxGamePlies + 1), std::vector<Move>(MaxGamePlies + 1, 0x0D24)));
  EXPECT_EQ(output([] { gameToPgn("long.bin", "bad.pgn"); }),
            "Game file corrupted! (error on game: 1)");
  writeFile("cut.bin", valid + valid.substr(0, 4));
  EXPECT_EQ(output([] { gameToPgn("cut.bin", "bad.pgn"); }),
            "Game file corrupted! (error on game: 2)");
  EXPECT_EQ(readWholeFile("bad.pgn"), "");

  // A partial header at the very end is no record.
  writeFile("three.bin", valid + valid + record(BlackWonCode | 1, {0x0D24}) + bytesOf({0x05}));
  EXPECT_EQ(output([] { gameToPgn("three.bin", "out.pgn"); }),
            "Converting 3 games [  0%]...\b\b\b\b\b\b\b\b 33%]...\b\b\b\b\b\b\b\b 66%]..."
            "\b\b\b\b\b\b\b\b100%]...OK\nconverted: 3 games.\n");
  EXPECT_EQ(readWholeFile("out.pgn"),
            "[Result \"1-0\"]\n1. e2e4 e7e5 1-0\n"
            "[Result \"1-0\"]\n1. e2e4 e7e5 1-0\n"
            "[Result \"0-1\"]\n1. e2e4 0-1\n");

  EXPECT_EQ(output([] { gameToPgn("none.bin", "out.pgn"); }),
            "Cannot open GAME input file: 'none.bin'\n");
  EXPECT_EQ(output([] { gameToPgn("three.bin", "no/such/dir.pgn"); }),
            "Cannot create PGN output file: 'no/such/dir.pgn'\n");
}

TEST_F(Converters, GameToPgnThenPgnToGameReproducesTheFile) {
  // Castling both ways, en passant, promotions with and without capture.
  writeFile("a.pgn",
            game("1-0",
                 "1. e4 d5 2. e5 f5 3. exf6 Nc6 4. fxg7 Be6 5. gxh8=N Qd6 6. Nf3 O-O-O "
                 "7. Be2 Kb8 8. O-O 1-0") +
                game("0-1", "1. h4 g5 2. hxg5 h5 3. gxh6 Nf6 4. h7 Rg8 5. hxg8=R Ng4 0-1") +
                game("1-0", "1. a4 b5 2. axb5 a6 3. bxa6 Bb7 4. axb7 Nc6 5. b8=Q Rxb8 1-0") +
                game("1/2-1/2", knightShuffle(300) + "1/2-1/2"));
  const std::string printed = output([] { pgnToGame("a.pgn", "g.bin"); });
  EXPECT_NE(printed.find("converted: 4 games. (skipped: 0)"), std::string::npos) << printed;
  output([] { gameToPgn("g.bin", "back.pgn"); });
  const std::string back = readWholeFile("back.pgn");
  for (const char* move : {" e5f6 ", " g7h8n ", " e8c8 ", " e1g1 ", " h7g8r ", " b7b8q "}) {
    EXPECT_NE(back.find(move), std::string::npos) << move;
  }
  output([] { pgnToGame("back.pgn", "again.bin"); });
  EXPECT_EQ(readWholeFile("again.bin"), readWholeFile("g.bin"));
  EXPECT_GT(readWholeFile("g.bin").size(), 600u);
}

TEST_F(Converters, PgnListToGameAddsUpOneTotal) {
  writeFile("a.pgn", game("1-0", "1. e4 1-0"));
  writeFile("b.pgn", game("1-0", "1. d4 1-0") + game("1-0", "1. e4 1-0"));
  writeFile("c.pgn", game("0-1", "1. c4 0-1"));
  const std::string longName(300, 'x');
  writeFile("list.txt", "a.pgn\r\nb.pgn\n\n" + longName + "\nc.pgn");
  const std::string printed = output([] { pgnListToGame("list.txt", "g.bin"); });
  EXPECT_NE(printed.find("Cannot open PGN input file: '" + longName + "'\n"), std::string::npos);
  EXPECT_NE(printed.find("Warning: game 2 (skipped) file: b.pgn\n"), std::string::npos);
  EXPECT_EQ(printed.substr(printed.size() - 20), "\nCONVERTED GAMES: 3\n");
  EXPECT_EQ(readWholeFile("g.bin").size(), 3u * 4u);

  // An error in one file ends the whole list.
  writeFile("bad.pgn", game("1-0", "1. e4 e5 2. Ke3 1-0"));
  writeFile("list2.txt", "bad.pgn\nc.pgn\n");
  const std::string stopped = output([] { pgnListToGame("list2.txt", "g2.bin"); });
  EXPECT_NE(stopped.find("ERROR: MOVE NOT LEGAL 1 file: bad.pgn\n"), std::string::npos);
  EXPECT_EQ(stopped.find("c.pgn"), std::string::npos);
  EXPECT_EQ(stopped.find("CONVERTED GAMES"), std::string::npos);
  EXPECT_EQ(output([] { pgnListToGame("nolist.txt", "g.bin"); }),
            "Cannot open PGN input file: 'nolist.txt'\n");
}

TEST_F(Converters, GameToPosAppendsAndRefusesIllegalRecords) {
  writeFile("a.pgn", game("1/2-1/2", knightShuffle(70) + "1/2-1/2") +
                         game("0-1", "1. f3 e5 2. g4 Qh4# 0-1"));
  output([] { pgnToGame("a.pgn", "g.bin"); });
  EXPECT_EQ(output([] { gameToPos("g.bin", "p.txt"); }),
            "Converting 2 games [  0%]...\b\b\b\b\b\b\b\b 50%]...\b\b\b\b\b\b\b\b100%]...\tOK\n"
            "converted: 2 games.\n");
  std::vector<std::string> lines = splitLines(readWholeFile("p.txt"));
  ASSERT_EQ(lines.size(), 64u + 4u);
  EXPECT_EQ(lines[0].substr(16), std::string("\t") + StartFen + "\tD\t1");
  EXPECT_EQ(lines[67].substr(16),
            "\trnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq g3\tB\t4");
  output([] { gameToPos("g.bin", "p.txt"); });
  EXPECT_EQ(splitLines(readWholeFile("p.txt")).size(), 2u * 68u);

  // A record whose move the position does not allow is not replayed.
  writeFile("illegal.bin", record(WhiteWonCode | 2, {0x0D24, 0x0D24}));
  EXPECT_EQ(output([] { gameToPos("illegal.bin", "q.txt"); }),
            "Converting 1 games [  0%]...ERROR: MOVE NOT LEGAL\nconverted: 0 games.\n");
  EXPECT_EQ(output([] { gameToPos("g.bin", "no/such/dir.txt"); }),
            "Cannot create POS output file: 'no/such/dir.txt'\n");
}

}  // namespace
