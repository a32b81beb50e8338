#include "movegen/legality.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "core/attacks.h"
#include "core/position.h"
#include "core/slider_attacks.h"
#include "support/test_support.h"

namespace {

constexpr int sq(const char* name) { return squareOf(name[0] - 'a', name[1] - '0'); }

Move quiet(const char* from, const char* to) { return makeMoveValue(sq(from), sq(to), QuietMove); }
Move typed(const char* from, const char* to, int type) {
  return makeMoveValue(sq(from), sq(to), type);
}

Bitboard squares(std::initializer_list<const char*> names) {
  Bitboard b = 0;
  for (const char* n : names) b |= bitOf(sq(n));
  return b;
}

CheckInfo checkInfoOf(const char* fen) {
  setUpPosition(fen);
  CheckInfo info{~0ULL, ~0ULL, ~0ULL};
  computeCheckInfo(info);
  return info;
}

// Castling positions are given as they stand after the castling move, which is
// when the legality test runs.
struct CastlingCase {
  const char* fen;
  Move move;
  Side side;
  bool illegal;
  const char* why;
};

TEST(KingLeftInCheck, CastlingPaths) {
  const CastlingCase cases[] = {
      {"4k3/8/b7/8/8/8/8/5RK1 b - - 0 1", WhiteKingSideCastle, White, true,
       "bishop a6 sees the crossed f1"},
      {"4k2r/8/8/8/8/8/8/5RK1 b - - 0 1", WhiteKingSideCastle, White, false,
       "rook h8 sees only h1"},
      {"4r2k/8/8/8/8/8/8/5RK1 b - - 0 1", WhiteKingSideCastle, White, true,
       "rook e8 sees the start square e1"},
      {"4k3/8/8/8/7n/8/8/5RK1 b - - 0 1", WhiteKingSideCastle, White, false,
       "knight h4 attacks nothing on the path"},
      {"8/8/8/8/8/8/7k/5RK1 b - - 0 1", WhiteKingSideCastle, White, true,
       "king h2 next to the landing square"},
      {"8/8/8/8/8/7k/8/5RK1 b - - 0 1", WhiteKingSideCastle, White, false,
       "king h3 is two rows away"},
      {"1r2k3/8/8/8/8/8/8/2KR4 b - - 0 1", WhiteQueenSideCastle, White, false,
       "rook b8 attacks only b1, which the king does not cross"},
      {"3r3k/8/8/8/8/8/8/2KR4 b - - 0 1", WhiteQueenSideCastle, White, true,
       "rook d8 sees the crossed d1"},
      {"8/8/8/8/8/8/1k6/2KR4 b - - 0 1", WhiteQueenSideCastle, White, true,
       "king b2 next to the landing square"},
      {"8/8/8/8/8/8/k7/2KR4 b - - 0 1", WhiteQueenSideCastle, White, false,
       "king a2 touches only b1"},
      {"5rk1/8/8/8/8/B7/8/4K3 w - - 0 1", BlackKingSideCastle, Black, true,
       "bishop a3 sees the crossed f8"},
      {"5rk1/4P3/8/8/8/8/8/4K3 w - - 0 1", BlackKingSideCastle, Black, true, "pawn e7 attacks f8"},
      {"5rk1/6K1/8/8/8/8/8/8 w - - 0 1", BlackKingSideCastle, Black, true,
       "king g7 next to the landing square"},
      {"2kr4/8/2N5/8/8/8/8/4K3 w - - 0 1", BlackQueenSideCastle, Black, true,
       "knight c6 attacks d8"},
      {"2kr4/8/8/8/8/8/8/1R2K3 w - - 0 1", BlackQueenSideCastle, Black, false,
       "rook b1 attacks b8 only"},
      {"2kr4/3K4/8/8/8/8/8/8 w - - 0 1", BlackQueenSideCastle, Black, true,
       "king d7 next to the crossed d8"},
  };
  for (const CastlingCase& c : cases) {
    setUpPosition(c.fen);
    EXPECT_EQ(kingLeftInCheck(c.move, c.side), c.illegal) << c.fen << ": " << c.why;
  }
}

TEST(KingLeftInCheck, OnlyCastlingTestsTheCrossedSquares) {
  // The same position after an ordinary king step f1-g1: f1 being attacked is
  // irrelevant, and the enemy king is never looked at.
  setUpPosition("4k3/8/b7/8/8/8/8/5RK1 b - - 0 1");
  EXPECT_FALSE(kingLeftInCheck(quiet("f1", "g1"), White));
  EXPECT_TRUE(kingLeftInCheck(WhiteKingSideCastle, White));
}

TEST(ComputeCheckInfo, DoubleCheckByRookAndKnight) {
  const CheckInfo info = checkInfoOf("4k3/8/3N4/8/8/8/8/4R1K1 b - - 0 1");
  EXPECT_EQ(info.checkers, squares({"e1", "d6"}));
  EXPECT_TRUE(info.orthogonalRays & bitOf(sq("e1")));
}

TEST(ComputeCheckInfo, RaysGiveTheSquaresBetweenKingAndChecker) {
  const CheckInfo rook = checkInfoOf("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1");
  EXPECT_EQ(rook.checkers, bitOf(sq("e1")));
  setUpPosition("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1");
  EXPECT_EQ(rook.orthogonalRays & rookAttacks(sq("e1")),
            squares({"e2", "e3", "e4", "e5", "e6", "e7"}));

  const CheckInfo bishop = checkInfoOf("7k/8/8/8/1b6/8/8/4K3 w - - 0 1");
  EXPECT_EQ(bishop.checkers, bitOf(sq("b4")));
  EXPECT_EQ(bishop.orthogonalRays, 0u);
  EXPECT_EQ(bishop.diagonalRays & bishopAttacks(sq("b4")), squares({"c3", "d2"}));
}

TEST(ComputeCheckInfo, DiagonalCheckLeavesNoOrthogonalRays) {
  // Stale rays are overwritten whether or not a rook stands on the king's lines.
  for (const char* fen : {"7k/8/8/b7/8/8/8/4K3 w - - 0 1",      // no rook anywhere
                          "4r2k/8/8/b7/8/8/4P3/4K3 w - - 0 1",  // rook on e-file, blocked
                          "7k/8/8/8/8/8/3q4/4K3 w - - 0 1"}) {  // queen on the diagonal
    const CheckInfo info = checkInfoOf(fen);
    EXPECT_EQ(popCount(info.checkers), 1) << fen;
    EXPECT_EQ(info.orthogonalRays, 0u) << fen;
    EXPECT_NE(info.diagonalRays & info.checkers, 0u) << fen;
  }
}

// Independent reference: the enemy pieces attacking square s, found by
// stepping over the board array.
Bitboard referenceAttackers(int s, Side enemy) {
  auto at = [](int r, int f) { return (r >= 0 && r < 8 && f >= 0 && f < 8) ? r * 8 + f : -1; };
  auto isEnemy = [&](int t, PieceCode white) {
    return t >= 0 && Pos.board[t] == pieceOf(white, enemy);
  };
  Bitboard found = 0;
  const int r = rowOf(s), f = fileOf(s);
  const int knight[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
  for (auto& d : knight) {
    int t = at(r + d[0], f + d[1]);
    if (isEnemy(t, WhiteKnight)) found |= bitOf(t);
  }
  const int pawnRow = enemy == White ? r + 1 : r - 1;  // where an attacking pawn stands
  for (int df : {-1, 1}) {
    int t = at(pawnRow, f + df);
    if (isEnemy(t, WhitePawn)) found |= bitOf(t);
  }
  const int lines[8][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
  for (int i = 0; i < 8; ++i) {
    const PieceCode slider = i < 4 ? WhiteRook : WhiteBishop;
    for (int k = 1;; ++k) {
      int t = at(r + k * lines[i][0], f + k * lines[i][1]);
      if (t < 0) break;
      if (Pos.board[t] == Empty) continue;
      if (isEnemy(t, slider) || isEnemy(t, WhiteQueen)) found |= bitOf(t);
      break;
    }
  }
  return found;
}

// Fills Pos by hand from a board of piece letters: cheaper than readFen,
// which also clears the search tables, for thousands of positions.
void placeBoard(const char (&board)[64], Side side) {
  Pos = Position{};
  Pos.king[Black] = Pos.king[White] = 100;
  for (int s = 0; s < 64; ++s) {
    if (board[s] == '.') continue;
    PieceCode code = 0;
    while (PieceChars[code] != board[s]) ++code;
    Pos.board[s] = code;
    if (code >= WhiteKing)
      Pos.king[ownerOf(code)] = static_cast<uint8_t>(s);
    else
      Pos.pieces[code] |= bitOf(s);
    Pos.pieces[OccupancyIndex + ownerOf(code)] |= bitOf(s);
  }
  Pos.all = occupancyOf(White) | occupancyOf(Black);
  Pos.fileMajor = toFileMajor(Pos.all);
  Pos.diagA1H8 = toDiagA1H8(Pos.all);
  Pos.diagA8H1 = toDiagA8H1(Pos.all);
  Pos.side = side;
}

void randomBoard(std::mt19937& rng, char (&board)[64]) {
  for (char& c : board) c = '.';
  auto freeSquare = [&](int lowRow, int highRow) {
    for (;;) {
      int s = lowRow * 8 + static_cast<int>(rng() % ((highRow - lowRow + 1) * 8));
      if (board[s] == '.') return s;
    }
  };
  const int whiteKing = freeSquare(0, 7);
  board[whiteKing] = 'K';
  int blackKing;
  do blackKing = freeSquare(0, 7);
  while (std::abs(rowOf(blackKing) - rowOf(whiteKing)) <= 1 &&
         std::abs(fileOf(blackKing) - fileOf(whiteKing)) <= 1);
  board[blackKing] = 'k';
  const char pieces[] = "PpPpNnBbRrQq";
  const int count = 2 + static_cast<int>(rng() % 14);
  for (int i = 0; i < count; ++i) {
    const char p = pieces[rng() % 12];
    const bool pawn = p == 'P' || p == 'p';
    board[pawn ? freeSquare(1, 6) : freeSquare(0, 7)] = p;
  }
}

TEST(CheckDetection, AgreesWithBoardWalkOnRandomPositions) {
  ensureTablesInitialized();
  std::mt19937 rng(77);
  int checks = 0, doubleChecks = 0;
  char board[64];
  for (int trial = 0; trial < 20000; ++trial) {
    randomBoard(rng, board);
    const Side side = static_cast<Side>(rng() & 1);
    placeBoard(board, side);
    const std::string where = std::string(board, 64) + (side ? " w" : " b");
    CheckInfo info{};
    computeCheckInfo(info);
    const Bitboard expected = referenceAttackers(Pos.king[side], opposite(side));
    ASSERT_EQ(info.checkers, expected) << where;
    checks += expected != 0;
    doubleChecks += popCount(expected) > 1;
    // A single sliding checker: rays along its line, none across.
    if (popCount(expected) == 1) {
      const int checker = firstSquare(expected);
      const PieceCode kind = Pos.board[checker];
      const bool straight =
          rowOf(checker) == rowOf(Pos.king[side]) || fileOf(checker) == fileOf(Pos.king[side]);
      if (kind >= WhiteBishop && kind <= BlackQueen) {
        ASSERT_EQ(info.orthogonalRays != 0, straight) << where;
      }
    }
    for (Side s : {White, Black}) {
      const bool attacked = referenceAttackers(Pos.king[s], opposite(s)) != 0;
      ASSERT_EQ(kingLeftInCheck(quiet("a8", "b8"), s), attacked) << where << " side " << s;
    }
  }
  // The sample must actually exercise single and double checks.
  EXPECT_GT(checks, 2000);
  EXPECT_GT(doubleChecks, 50);
}

TEST(CheckDetection, BoardWithoutKingsHasNoChecks) {
  ensureTablesInitialized();
  char board[64];
  for (char& c : board) c = '.';
  board[sq("e4")] = 'Q';
  board[sq("d5")] = 'q';
  for (Side side : {White, Black}) {
    placeBoard(board, side);
    CheckInfo info{};
    computeCheckInfo(info);
    EXPECT_EQ(info.checkers, 0u);
    EXPECT_FALSE(kingLeftInCheck(WhiteKingSideCastle, side));
    EXPECT_FALSE(kingLeftInCheck(BlackQueenSideCastle, side));
  }
}

TEST(IsMoveValid, RejectsCastlingAndForeignPieces) {
  setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  EXPECT_FALSE(isMoveValid(WhiteKingSideCastle));
  EXPECT_FALSE(isMoveValid(WhiteQueenSideCastle));
  EXPECT_FALSE(isMoveValid(quiet("e1", "g1")));  // two steps is not a king move
  EXPECT_TRUE(isMoveValid(quiet("e1", "f1")));
  EXPECT_FALSE(isMoveValid(quiet("e8", "f8")));  // Black's king, White to move
  EXPECT_FALSE(isMoveValid(quiet("e4", "e5")));  // empty origin
  EXPECT_TRUE(isMoveValid(typed("a1", "a8", CaptureMove)));
  EXPECT_FALSE(isMoveValid(quiet("a1", "a8")));               // quiet onto a piece
  EXPECT_FALSE(isMoveValid(typed("a1", "a7", CaptureMove)));  // capture onto nothing
  EXPECT_FALSE(isMoveValid(typed("a1", "a2", ResultMarker)));
}

TEST(IsMoveValid, EnPassantOnlyOntoTheEnPassantSquare) {
  setUpPosition("4k3/8/8/2PpP3/8/8/P7/4K3 w - d6 0 1");
  EXPECT_TRUE(isMoveValid(typed("e5", "d6", EnPassantMove)));
  EXPECT_TRUE(isMoveValid(typed("c5", "d6", EnPassantMove)));
  EXPECT_FALSE(isMoveValid(typed("e5", "f6", EnPassantMove)));
  EXPECT_FALSE(isMoveValid(typed("e5", "d6", CaptureMove)));    // d6 itself is empty
  EXPECT_FALSE(isMoveValid(typed("a2", "d6", EnPassantMove)));  // not a pawn capture
  setUpPosition("4k3/8/8/2PpP3/8/8/8/4K3 w - - 0 1");
  EXPECT_FALSE(isMoveValid(typed("e5", "d6", EnPassantMove)));
  // "No en-passant square" is stored as 0, which is also a8's number.
  setUpPosition("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_FALSE(isMoveValid(typed("b7", "a8", EnPassantMove)));
  // Black captures onto rank 3.
  setUpPosition("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1");
  EXPECT_TRUE(isMoveValid(typed("e4", "d3", EnPassantMove)));
  EXPECT_FALSE(isMoveValid(typed("e4", "f3", EnPassantMove)));
}

TEST(IsMoveValid, PawnPushesCapturesAndPromotions) {
  setUpPosition("3rk3/4P3/8/7P/p5Pn/4N3/3PP3/4K3 w - - 0 1");
  EXPECT_TRUE(isMoveValid(quiet("d2", "d4")));
  EXPECT_FALSE(isMoveValid(quiet("e2", "e4")));               // e3 is occupied
  EXPECT_FALSE(isMoveValid(quiet("g4", "g6")));               // double step only from rank 2
  EXPECT_FALSE(isMoveValid(quiet("d2", "c3")));               // pushes go straight
  EXPECT_FALSE(isMoveValid(quiet("h5", "h4")));               // and forward
  EXPECT_FALSE(isMoveValid(typed("g4", "h5", CaptureMove)));  // own pawn on h5
  // No wrap between the a- and h-files: h4 and a4 share the rank, not a diagonal.
  setUpPosition("4k3/8/8/6n1/n6P/8/8/4K3 w - - 0 1");
  EXPECT_TRUE(isMoveValid(typed("h4", "g5", CaptureMove)));
  EXPECT_FALSE(isMoveValid(typed("h4", "a4", CaptureMove)));

  setUpPosition("3rk3/4P3/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_FALSE(isMoveValid(typed("e7", "e8", PromoteQueen)));  // e8 holds the king
  setUpPosition("3r2k1/4P3/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_TRUE(isMoveValid(typed("e7", "e8", PromoteQueen)));
  EXPECT_TRUE(isMoveValid(typed("e7", "d8", CapturePromoteRook)));
  EXPECT_FALSE(isMoveValid(typed("e7", "f8", CapturePromoteQueen)));  // f8 empty
  // A pawn reaching the last rank must promote; promotions happen only there.
  EXPECT_FALSE(isMoveValid(quiet("e7", "e8")));
  EXPECT_FALSE(isMoveValid(typed("e7", "d8", CaptureMove)));
  setUpPosition("4k3/8/8/8/8/3P4/8/4K3 w - - 0 1");
  EXPECT_FALSE(isMoveValid(typed("d3", "d4", PromoteQueen)));

  // Black mirror.
  setUpPosition("4k3/3pp3/4N3/8/8/8/1p6/R3K3 b - - 0 1");
  EXPECT_TRUE(isMoveValid(quiet("d7", "d5")));
  EXPECT_FALSE(isMoveValid(quiet("e7", "e5")));  // e6 occupied
  EXPECT_TRUE(isMoveValid(typed("d7", "e6", CaptureMove)));
  EXPECT_FALSE(isMoveValid(typed("e7", "d6", CaptureMove)));
  EXPECT_TRUE(isMoveValid(typed("b2", "a1", CapturePromoteQueen)));
  EXPECT_TRUE(isMoveValid(typed("b2", "b1", PromoteBishop)));
  EXPECT_FALSE(isMoveValid(quiet("b2", "b1")));
  EXPECT_FALSE(isMoveValid(quiet("d7", "d8")));  // backwards
}

TEST(IsMoveValid, PieceMovesFollowTheCurrentOccupancy) {
  setUpPosition("4k3/8/2p5/8/3PN3/7Q/1B3r2/R3K3 w - - 0 1");
  EXPECT_TRUE(isMoveValid(quiet("e4", "g5")));
  EXPECT_TRUE(isMoveValid(typed("e4", "f2", CaptureMove)));
  EXPECT_FALSE(isMoveValid(quiet("e4", "f2")));
  EXPECT_FALSE(isMoveValid(quiet("e4", "e5")));
  EXPECT_TRUE(isMoveValid(quiet("b2", "c3")));
  EXPECT_FALSE(isMoveValid(quiet("b2", "f6")));               // own pawn on d4 blocks
  EXPECT_FALSE(isMoveValid(typed("b2", "d4", CaptureMove)));  // own piece
  EXPECT_TRUE(isMoveValid(quiet("h3", "c8")));
  EXPECT_TRUE(isMoveValid(quiet("h3", "e3")));
  EXPECT_FALSE(isMoveValid(quiet("h3", "g5")));  // no queen line
  EXPECT_TRUE(isMoveValid(quiet("a1", "d1")));
  EXPECT_FALSE(isMoveValid(quiet("a1", "f1")));              // through the king
  EXPECT_TRUE(isMoveValid(typed("e1", "f2", CaptureMove)));  // king takes the rook
  EXPECT_FALSE(isMoveValid(typed("e1", "f2", QuietMove)));
  EXPECT_FALSE(isMoveValid(typed("e4", "g5", EnPassantMove)));  // types beyond capture
}

}  // namespace
