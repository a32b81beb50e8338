// A real game collection converted by "pgn2pos", checked against
// pgn-extract: the same games converted and skipped, and for every position
// line the same position (placement, side, castling, en passant) with the
// same result and ply number. Included by the test files that name the
// collections (the large one runs only with the slow tests).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/position.h"
#include "support/test_support.h"
#include "tools/converters.h"

namespace {

constexpr int LinesPerGame = 64;
constexpr const char* PgnExtractPlaces[] = {"/usr/bin/pgn-extract", "/usr/games/pgn-extract",
                                            "/usr/local/bin/pgn-extract"};

const char* findPgnExtract() {
  for (const char* place : PgnExtractPlaces) {
    if (access(place, X_OK) == 0) return place;
  }
  return nullptr;
}

uint64_t digest(const std::string& text) {
  uint64_t h = 0xCBF29CE484222325ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 0x100000001B3ull;
  }
  return h;
}

// One position as both sides describe it: four FEN fields, result, ply.
uint64_t positionDigest(const std::string& placement, const std::string& side,
                        const std::string& castling, const std::string& ep, char result, int ply) {
  return digest(placement + ' ' + side + ' ' + castling + ' ' + ep + '|' + result + '|' +
                std::to_string(ply));
}

char resultChar(const std::string& result) {
  if (result == "1-0") return 'W';
  if (result == "0-1") return 'B';
  if (result == "1/2-1/2") return 'D';
  return '*';
}

struct Expected {
  int games = 0;
  int finished = 0;
  std::vector<uint64_t> positions;
};

// Streams pgn-extract's EPD output (one line per position, a blank line after
// each game) and keeps what "pgn2pos" should write for every finished game.
Expected runPgnExtract(const char* extract, const std::string& pgn) {
  Expected expected;
  const std::string command = std::string(extract) + " -s -Wepd '" + pgn + "' 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return expected;
  std::vector<std::string> game;
  const auto finishGame = [&] {
    if (game.empty()) return;
    ++expected.games;
    const std::string& first = game.front();
    const size_t c1 = first.find("c1 ");
    const std::string result =
        c1 == std::string::npos ? "" : first.substr(c1 + 3, first.find(';', c1) - c1 - 3);
    const int moves = static_cast<int>(game.size()) - 1;
    if (resultChar(result) != '*' && moves > 0) {
      ++expected.finished;
      for (int p = 0; p < moves && p < LinesPerGame; ++p) {
        std::istringstream fields(game[p]);
        std::string placement, side, castling, ep;
        fields >> placement >> side >> castling >> ep;
        expected.positions.push_back(
            positionDigest(placement, side, castling, ep, resultChar(result), p + 1));
      }
    }
    game.clear();
  };
  std::string line;
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
    line += chunk;
    if (line.empty() || line.back() != '\n') continue;
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
      finishGame();
    } else {
      game.push_back(line);
    }
    line.clear();
  }
  finishGame();
  pclose(pipe);
  return expected;
}

// The position lines of the 16 files written by "pgn2pos".
std::vector<uint64_t> readPositionFiles(std::string& firstBadLine) {
  std::vector<uint64_t> positions;
  for (int k = 0; k < 16; ++k) {
    char name[8];
    std::snprintf(name, sizeof name, "%X.pos", k);
    std::istringstream in(readWholeFile(name));
    for (std::string line; std::getline(in, line);) {
      std::istringstream fields(line);
      std::string key, placement, side, castling, ep, result;
      int ply = 0;
      fields >> key >> placement >> side >> castling >> ep >> result >> ply;
      if (key.size() != 16 || result.size() != 1 || ply < 1 || ply > LinesPerGame) {
        if (firstBadLine.empty()) firstBadLine = line;
        continue;
      }
      positions.push_back(positionDigest(placement, side, castling, ep, result[0], ply));
    }
  }
  return positions;
}

class RealPgnFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(RealPgnFiles, SameGamesAndPositionsAsPgnExtract) {
  const char* extract = findPgnExtract();
  if (extract == nullptr)
    GTEST_SKIP() << "pgn-extract is not installed (Debian package pgn-extract)";
  // "fixtures/..." names a file kept in the repository, any other name one of
  // the shared reference data.
  const std::string name = GetParam();
  const bool inRepository = name.rfind("fixtures/", 0) == 0;
  if (!inRepository) SKIP_WITHOUT_SHARED_DATA(name);
  const std::string pgn = inRepository ? fixturePath(name.substr(9)) : sharedDataPath(name);
  ensureTablesInitialized();

  const std::string dir = makeScratchDirectory("real-pgn");
  char previous[4096];
  ASSERT_EQ(getcwd(previous, sizeof previous), previous);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  openEngineLog("Veltor.log");
  testing::internal::CaptureStdout();
  pgnToPos(pgn.c_str());
  const std::string printed = testing::internal::GetCapturedStdout();
  std::string badLine;
  std::vector<uint64_t> written = readPositionFiles(badLine);
  EngineLog.close();
  ASSERT_EQ(chdir(previous), 0);
  std::system(("rm -rf '" + dir + "'").c_str());

  const Expected expected = runPgnExtract(extract, pgn);
  ASSERT_GT(expected.games, 0);
  const std::string counts =
      "converted: " + std::to_string(expected.finished) +
      " games. (skipped: " + std::to_string(expected.games - expected.finished) + ")\n";
  EXPECT_NE(printed.find(counts), std::string::npos)
      << "expected " << counts << "got the tail\n"
      << printed.substr(printed.size() > 2000 ? printed.size() - 2000 : 0);
  EXPECT_EQ(badLine, "");
  std::vector<uint64_t> wanted = expected.positions;
  std::sort(written.begin(), written.end());
  std::sort(wanted.begin(), wanted.end());
  EXPECT_EQ(written.size(), wanted.size());
  std::vector<uint64_t> missing, extra;
  std::set_difference(wanted.begin(), wanted.end(), written.begin(), written.end(),
                      std::back_inserter(missing));
  std::set_difference(written.begin(), written.end(), wanted.begin(), wanted.end(),
                      std::back_inserter(extra));
  EXPECT_EQ(missing.size(), 0u) << "positions pgn-extract has and the position files lack";
  EXPECT_EQ(extra.size(), 0u) << "positions in the position files that pgn-extract lacks";
}

}  // namespace
