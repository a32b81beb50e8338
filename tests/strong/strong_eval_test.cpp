// The strong evaluation and the exchange evaluator on known positions.
#include "strong/strong_eval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

#include "core/move_text.h"
#include "core/piece_square.h"
#include "core/position.h"
#include "strong/exchange_threshold.h"
#include "strong/kpk.h"
#include "strong/strong_search.h"
#include "support/test_support.h"

namespace {

// The same position with the colours swapped and the board turned over.
std::string colourMirror(const std::string& fen) {
  std::string placement, side, castling, enPassant;
  std::istringstream in(fen);
  in >> placement >> side >> castling >> enPassant;
  std::string rows[8];
  int row = 0;
  for (char c : placement) {
    if (c == '/') {
      ++row;
    } else {
      rows[row] += std::isalpha(static_cast<unsigned char>(c))
                       ? (std::isupper(c) ? std::tolower(c) : std::toupper(c))
                       : c;
    }
  }
  std::string mirrored;
  for (int r = 7; r >= 0; --r) mirrored += rows[r] + (r > 0 ? "/" : "");
  std::string rights;
  for (char c : castling)
    rights += c == '-' ? '-' : (std::isupper(c) ? std::tolower(c) : std::toupper(c));
  std::sort(rights.begin(), rights.end(), [](char a, char b) {
    return std::isupper(a) != std::isupper(b) ? std::isupper(a) != 0 : a < b;
  });
  if (enPassant != "-") enPassant[1] = static_cast<char>('1' + '8' - enPassant[1]);
  return mirrored + (side == "w" ? " b " : " w ") + rights + " " + enPassant;
}

int evaluationOf(const std::string& fen) {
  setUpPosition(fen.c_str());
  return strongEvaluate();
}

class StrongEval : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureTablesInitialized();
    initStrongSearch();
  }
};

TEST_F(StrongEval, APositionAndItsColourMirrorEvaluateTheSame) {
  std::ifstream in(fixturePath("perft-positions.epd"));
  std::string line;
  int compared = 0;
  while (std::getline(in, line)) {
    const std::string fen = line.substr(0, line.find(';'));
    const int value = evaluationOf(fen);
    clearStrongPawnTable();
    EXPECT_EQ(value, evaluationOf(colourMirror(fen))) << fen << " / " << colourMirror(fen);
    ++compared;
  }
  EXPECT_GE(compared, 50);
}

TEST_F(StrongEval, ExchangesOfKnownCapturesCountWhatTheyWin) {
  struct Case {
    const char* fen;
    const char* move;
    int value;
  };
  const Case cases[] = {
      {"1k1r4/1pp4p/p7/4p3/8/P5P1/1PP4P/2K1R3 w - - 0 1", "e1e5", ExchangeValue[KindPawn]},
      {"1k1r3q/1ppn3p/p4b2/4p3/8/P2N2P1/1PP1R1BP/2K1Q3 w - - 0 1", "d3e5",
       ExchangeValue[KindPawn] - ExchangeValue[KindKnight]},
      // The queen behind the rook joins the exchange and keeps the pawn won.
      {"4k3/8/4r3/8/4p3/8/4R3/4Q1K1 w - - 0 1", "e2e4", ExchangeValue[KindPawn]},
      {"4k3/8/8/3p4/4N3/8/8/4K3 w - - 0 1", "e4d6", 0},
  };
  for (const Case& c : cases) {
    setUpPosition(c.fen);
    const Move m = textToMove(c.move);
    ASSERT_NE(m, 0) << c.fen;
    EXPECT_TRUE(exchangeAtLeast(m, c.value)) << c.fen << " " << c.move;
    EXPECT_FALSE(exchangeAtLeast(m, c.value + 1)) << c.fen << " " << c.move;
  }
}

TEST_F(StrongEval, KingAndPawnEndingsAreWonOrDrawnAsTheoryHasIt) {
  // Opposition decides: White to move draws, Black to move loses.
  EXPECT_FALSE(kpkWins(White, squareOf(4, 4), squareOf(4, 3), squareOf(4, 6), White));
  EXPECT_TRUE(kpkWins(White, squareOf(4, 4), squareOf(4, 3), squareOf(4, 6), Black));
  // A rook pawn with the defending king in the corner is a draw.
  EXPECT_FALSE(kpkWins(Black, squareOf(0, 3), squareOf(0, 4), squareOf(0, 1), Black));
  // King in front of its pawn on the sixth rank wins whoever moves.
  EXPECT_TRUE(kpkWins(Black, squareOf(3, 3), squareOf(3, 4), squareOf(5, 1), White));
  setUpPosition("8/8/4k3/8/4P3/4K3/8/8 w - - 0 1");
  EXPECT_EQ(strongEvaluate(), 0);
}

}  // namespace
