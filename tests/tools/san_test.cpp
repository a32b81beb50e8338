// Reading SAN and coordinate move text against the current position.
#include "tools/san.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/position.h"
#include "support/test_support.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

int sq(const char* name) { return squareOf(name[0] - 'a', name[1] - '0'); }
Move mv(const char* from, const char* to, int type) {
  return makeMoveValue(sq(from), sq(to), type);
}

// The position must read the same before and after parsing.
Move parseKeepingPosition(const char* text) {
  char before[96], after[96];
  writeFen(before);
  const uint64_t key = Pos.key;
  const Move m = parseSanMove(text);
  writeFen(after);
  EXPECT_STREQ(before, after) << text;
  EXPECT_EQ(key, Pos.key) << text;
  return m;
}

TEST(SanMove, PawnPushesFromTheStart) {
  setUpPosition(StartFen);
  EXPECT_EQ(parseKeepingPosition("e4"), mv("e2", "e4", QuietMove));
  EXPECT_EQ(parseKeepingPosition("e3"), mv("e2", "e3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("e2-e4"), mv("e2", "e4", QuietMove));
  setUpPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
  EXPECT_EQ(parseKeepingPosition("d5"), mv("d7", "d5", QuietMove));
  EXPECT_EQ(parseKeepingPosition("d6"), mv("d7", "d6", QuietMove));
}

TEST(SanMove, CastlingWithLettersOrZerosNeedsTheRight) {
  setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  for (const char* text : {"O-O", "0-0", "O-O+", "OO", "O-O#"}) {
    EXPECT_EQ(parseKeepingPosition(text), WhiteKingSideCastle) << text;
  }
  for (const char* text : {"O-O-O", "0-0-0", "O-O-O+"}) {
    EXPECT_EQ(parseKeepingPosition(text), WhiteQueenSideCastle) << text;
  }
  EXPECT_EQ(parseKeepingPosition("e1g1"), WhiteKingSideCastle);
  EXPECT_EQ(parseKeepingPosition("e1c1"), WhiteQueenSideCastle);

  setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R b Kq -");
  EXPECT_EQ(parseKeepingPosition("O-O"), 0);
  EXPECT_EQ(parseKeepingPosition("O-O-O"), BlackQueenSideCastle);
  EXPECT_EQ(parseKeepingPosition("e8c8"), BlackQueenSideCastle);
  // Without the right a king's two-square step is only a king move.
  EXPECT_EQ(parseKeepingPosition("e8g8"), mv("e8", "g8", QuietMove));
}

TEST(SanMove, PawnCapturesAndEnPassant) {
  setUpPosition("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6");
  EXPECT_EQ(parseKeepingPosition("exd5"), mv("e4", "d5", CaptureMove));
  EXPECT_EQ(parseKeepingPosition("ed5"), mv("e4", "d5", CaptureMove));
  setUpPosition("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq d6");
  EXPECT_EQ(parseKeepingPosition("exd6"), mv("e5", "d6", EnPassantMove));
  EXPECT_EQ(parseKeepingPosition("e5d6"), mv("e5", "d6", EnPassantMove));
  EXPECT_EQ(parseKeepingPosition("exd6e.p."), 0);  // the marker is not understood
}

TEST(SanMove, PromotionsInEitherCase) {
  setUpPosition("3r3k/4P3/8/8/8/8/8/K7 w - -");
  EXPECT_EQ(parseKeepingPosition("e8=Q"), mv("e7", "e8", PromoteQueen));
  EXPECT_EQ(parseKeepingPosition("e8q"), mv("e7", "e8", PromoteQueen));
  EXPECT_EQ(parseKeepingPosition("e8N"), mv("e7", "e8", PromoteKnight));
  EXPECT_EQ(parseKeepingPosition("e8=r+"), mv("e7", "e8", PromoteRook));
  EXPECT_EQ(parseKeepingPosition("e8=B"), mv("e7", "e8", PromoteBishop));
  EXPECT_EQ(parseKeepingPosition("exd8=Q+"), mv("e7", "d8", CapturePromoteQueen));
  EXPECT_EQ(parseKeepingPosition("exd8n"), mv("e7", "d8", CapturePromoteKnight));
  EXPECT_EQ(parseKeepingPosition("e7d8b"), mv("e7", "d8", CapturePromoteBishop));
  EXPECT_EQ(parseKeepingPosition("e7e8r"), mv("e7", "e8", PromoteRook));
  // A capture from the same file or two files away is no pawn capture.
  EXPECT_EQ(parseKeepingPosition("exe8Q"), 0);
  EXPECT_EQ(parseKeepingPosition("gxe8Q"), 0);
  // Off the board behind the destination.
  setUpPosition("7k/8/8/8/8/8/8/K7 w - -");
  EXPECT_EQ(parseKeepingPosition("bxa1Q"), 0);
  EXPECT_EQ(parseKeepingPosition("axb1Q"), 0);
  setUpPosition("7k/8/8/8/8/8/8/K7 b - -");
  EXPECT_EQ(parseKeepingPosition("a8=Q"), 0);
  EXPECT_EQ(parseKeepingPosition("bxa8Q"), 0);

  setUpPosition("7k/8/8/8/8/8/3p4/K1R5 b - -");
  EXPECT_EQ(parseKeepingPosition("d1=Q"), mv("d2", "d1", PromoteQueen));
  EXPECT_EQ(parseKeepingPosition("dxc1=N"), mv("d2", "c1", CapturePromoteKnight));
}

TEST(SanMove, FileLetterVersusBishop) {
  setUpPosition("4k3/8/8/8/8/2p5/1P6/4KB2 w - -");
  EXPECT_EQ(parseKeepingPosition("bxc3"), mv("b2", "c3", CaptureMove));
  setUpPosition("4k3/8/8/8/8/8/1P6/4KB2 w - -");
  EXPECT_EQ(parseKeepingPosition("Bc4"), mv("f1", "c4", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Bb5"), mv("f1", "b5", QuietMove));
  EXPECT_EQ(parseKeepingPosition("bc4"), 0);  // no b-pawn attacks c4
  // Piece letters are upper case only.
  EXPECT_EQ(parseKeepingPosition("nf3"), 0);
}

TEST(SanMove, PieceMovesAndCaptures) {
  setUpPosition(StartFen);
  EXPECT_EQ(parseKeepingPosition("Nf3"), mv("g1", "f3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Nc3"), mv("b1", "c3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Ng1f3"), mv("g1", "f3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Nf3!?"), mv("g1", "f3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Bc4"), 0);  // blocked by the own pawn
  EXPECT_EQ(parseKeepingPosition("Qd3"), 0);
  setUpPosition("4k3/8/8/8/7Q/8/8/4K3 w - -");
  // The king move is taken without testing that it reaches the square.
  EXPECT_EQ(parseKeepingPosition("Kd2"), mv("e1", "d2", QuietMove));
  // Whose piece stands on the destination is left to the caller's legality test.
  EXPECT_EQ(parseKeepingPosition("Qxe1"), mv("h4", "e1", CaptureMove));
  EXPECT_EQ(parseKeepingPosition("Qh4e1"), mv("h4", "e1", CaptureMove));
  EXPECT_EQ(parseKeepingPosition("Qa4e1"),
            mv("a4", "e1", CaptureMove));  // the letter and the piece are not checked
  EXPECT_EQ(parseKeepingPosition("Qe7+"), mv("h4", "e7", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Qxe7"), mv("h4", "e7", QuietMove));
}

TEST(SanMove, DisambiguationByTextOrByLegality) {
  // Black knights on b8 and f6 both reach d7.
  setUpPosition("rn2k3/8/5n2/8/8/8/8/4K3 b - -");
  EXPECT_EQ(parseKeepingPosition("Nbd7"), mv("b8", "d7", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Nfd7"), mv("f6", "d7", QuietMove));
  EXPECT_EQ(parseKeepingPosition("N8d7"), mv("b8", "d7", QuietMove));
  EXPECT_EQ(parseKeepingPosition("N6d7"), mv("f6", "d7", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Nd7"), 0);   // ambiguous
  EXPECT_EQ(parseKeepingPosition("Nad7"), 0);  // no knight on the a-file
  EXPECT_EQ(parseKeepingPosition("Nb8d7"), mv("b8", "d7", QuietMove));

  // The f6 knight is pinned against the king on h8 by the bishop on d4.
  setUpPosition("1n5k/8/5n2/8/3B4/8/8/K7 b - -");
  EXPECT_EQ(parseKeepingPosition("Nd7"), mv("b8", "d7", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Nfd7"),
            mv("f6", "d7", QuietMove));  // a named origin is not tested

  // Rooks on a1 and a5 both reach a3 on the file: R1a3 / R5a3.
  setUpPosition("4k3/8/8/R7/8/8/8/R3K3 w - -");
  EXPECT_EQ(parseKeepingPosition("R1a3"), mv("a1", "a3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("R5a3"), mv("a5", "a3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Ra3"), 0);

  // In check along the first rank: neither knight reaching g3 may go there,
  // while a single candidate is taken untested.
  setUpPosition("4k3/8/8/7N/8/8/4N3/r6K w - -");
  EXPECT_EQ(parseKeepingPosition("Ng3"), 0);
  EXPECT_EQ(parseKeepingPosition("Ng1"), mv("e2", "g1", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Nf6"), mv("h5", "f6", QuietMove));
}

TEST(SanMove, LengthLimitsAndJunk) {
  setUpPosition(StartFen);
  for (const char* text : {"", "e", "Z0", "--", "e9", "i4", "0000", "@@@@", "Ng1f3g", "Nf3xyz"}) {
    EXPECT_EQ(parseKeepingPosition(text), 0) << text;
  }
  // Only the first nine characters count, before the marks are removed.
  EXPECT_EQ(parseKeepingPosition("e-2-e-4!!"), mv("e2", "e4", QuietMove));
  EXPECT_EQ(parseKeepingPosition("Nf3!!!!!!e"), mv("g1", "f3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("N-g-1-f-3"), mv("g1", "f3", QuietMove));
  EXPECT_EQ(parseKeepingPosition("N-g-1-f--3"), 0);
  EXPECT_EQ(parseKeepingPosition("e2e4e5"), 0);
  EXPECT_EQ(parseKeepingPosition("e1"), 0);  // White's pawn would come from off the board
}

TEST(CoordinateMove, TypesFromTheBoard) {
  setUpPosition("r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6");
  EXPECT_EQ(parseCoordinateMove("e5d6"), mv("e5", "d6", EnPassantMove));
  EXPECT_EQ(parseCoordinateMove("e5e6"), mv("e5", "e6", QuietMove));
  EXPECT_EQ(parseCoordinateMove("b7a8q"), mv("b7", "a8", CapturePromoteQueen));
  EXPECT_EQ(parseCoordinateMove("b7b8N"), mv("b7", "b8", PromoteKnight));
  EXPECT_EQ(parseCoordinateMove("b7b8x"), mv("b7", "b8", QuietMove));
  EXPECT_EQ(parseCoordinateMove("a1a8"), mv("a1", "a8", CaptureMove));
  EXPECT_EQ(parseCoordinateMove("a1a2"), mv("a1", "a2", QuietMove));
  EXPECT_EQ(parseCoordinateMove("e1g1"), WhiteKingSideCastle);
  EXPECT_EQ(parseCoordinateMove("e8c8"), BlackQueenSideCastle);
  EXPECT_EQ(parseCoordinateMove("e1"), 0);
  EXPECT_EQ(parseCoordinateMove("e1g"), 0);
  EXPECT_EQ(parseCoordinateMove("e1g9"), 0);
  EXPECT_EQ(parseCoordinateMove("a0a1"), 0);
}

}  // namespace
