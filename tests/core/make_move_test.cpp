#include "core/make_move.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/key_table.h"
#include "core/move_text.h"
#include "core/position.h"
#include "core/position_compare.h"
#include "support/test_support.h"

namespace {

Position Before;
Position Made;

// Sets up `fen`, makes `m` with a prepared record, checks the made position,
// then unmakes and checks that every field came back.
void roundTrip(const char* fen, Move m) {
  SCOPED_TRACE(std::string(fen) + " move " + std::to_string(m));
  setUpPosition(fen);
  Before = Pos;
  PlyState record{};
  savePlyState(record);
  makeMove(m, record);
  EXPECT_TRUE(positionIsConsistent()) << "after makeMove";
  EXPECT_EQ(Pos.historyTop, Pos.history + 1);
  EXPECT_EQ(Pos.historyTop->key, Pos.key);
  EXPECT_EQ(Pos.history[0].move, m);
  EXPECT_NE(Pos.side, Before.side);
  Made = Pos;
  unmakeMove(m, record);
  EXPECT_TRUE(positionIsConsistent()) << "after unmakeMove";
  EXPECT_TRUE(samePosition(Before, Pos));
}

// The same with the move given as coordinate text read against the set-up position.
void roundTrip(const char* fen, const char* text, int expectedType) {
  setUpPosition(fen);
  const Move m = textToMove(text);
  ASSERT_EQ(moveType(m), expectedType) << text;
  roundTrip(fen, m);
}

constexpr const char* Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr const char* Corners = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
constexpr const char* CornersBlack = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -";

uint64_t rightKey(uint16_t right) { return KeyTable[0][castlingKeySquare(right)]; }

}  // namespace

TEST(MakeMoveRoundTrip, QuietMovesAndCaptures) {
  roundTrip(Start, "g1f3", QuietMove);
  roundTrip(Start, "e2e4", QuietMove);
  roundTrip(Start, "e2e3", QuietMove);
  roundTrip("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -", "b8c6", QuietMove);
  roundTrip("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -", "d7d5", QuietMove);
  roundTrip("4k3/8/8/3p4/4P3/8/8/4K3 w - -", "e4d5", CaptureMove);
  roundTrip("4k3/8/8/3p4/4P3/8/8/4K3 b - -", "d5e4", CaptureMove);
  roundTrip("4k3/8/2n5/8/3Q4/8/8/4K3 w - -", "d4c6", CaptureMove);
  roundTrip("4k3/8/2n5/8/3Q4/8/8/4K3 b - -", "c6d4", CaptureMove);
  roundTrip("4k3/8/8/8/8/8/3p4/4K3 w - -", "e1d2", CaptureMove);
}

TEST(MakeMoveRoundTrip, EnPassantBothColours) {
  roundTrip("4k3/8/8/3pP3/8/8/8/4K3 w - d6", "e5d6", EnPassantMove);
  EXPECT_EQ(Made.board[27], Empty);
  EXPECT_EQ(Made.pawnCount[Black], 0);
  roundTrip("4k3/8/8/8/3Pp3/8/8/4K3 b - d3", "e4d3", EnPassantMove);
  EXPECT_EQ(Made.board[35], Empty);
  EXPECT_EQ(Made.pawnCount[White], 0);
  roundTrip("4k3/8/8/Pp6/8/8/8/4K3 w - b6", "a5b6", EnPassantMove);
  roundTrip("4k3/8/8/8/6Pp/8/8/4K3 b - g3", "h4g3", EnPassantMove);
}

TEST(MakeMoveRoundTrip, EveryPromotionWithAndWithoutCapture) {
  const char* promotions[] = {"q", "n", "r", "b"};
  for (int i = 0; i < 4; ++i) {
    const std::string suffix = promotions[i];
    roundTrip("4k3/P7/8/8/8/8/8/4K3 w - -", ("a7a8" + suffix).c_str(), PromoteQueen + i);
    roundTrip("4k3/8/8/8/8/8/7p/4K3 b - -", ("h2h1" + suffix).c_str(), PromoteQueen + i);
    roundTrip("1n2k3/P7/8/8/8/8/8/4K3 w - -", ("a7b8" + suffix).c_str(), CapturePromoteQueen + i);
    roundTrip("4k3/8/8/8/8/8/7p/4K1N1 b - -", ("h2g1" + suffix).c_str(), CapturePromoteQueen + i);
  }
  // Capture-promotions onto a rook corner also take the owner's right away.
  roundTrip("r3k3/1P6/8/8/8/8/8/4K3 w q -", "b7a8q", CapturePromoteQueen);
  EXPECT_EQ(Made.castling, 0);
  roundTrip("4k3/8/8/8/8/8/6p1/4K2R b K -", "g2h1n", CapturePromoteKnight);
  EXPECT_EQ(Made.castling, 0);
}

TEST(MakeMoveRoundTrip, AllFourCastlings) {
  roundTrip(Corners, "e1g1", WhiteCastleKing);
  EXPECT_EQ(Made.board[62], WhiteKing);
  EXPECT_EQ(Made.board[61], WhiteRook);
  EXPECT_EQ(Made.castling, BlackKingSide | BlackQueenSide);
  roundTrip(Corners, "e1c1", WhiteCastleQueen);
  EXPECT_EQ(Made.board[58], WhiteKing);
  EXPECT_EQ(Made.board[59], WhiteRook);
  EXPECT_EQ(Made.board[56], Empty);
  roundTrip(CornersBlack, "e8g8", BlackCastleKing);
  EXPECT_EQ(Made.king[Black], 6);
  EXPECT_EQ(Made.castling, WhiteKingSide | WhiteQueenSide);
  roundTrip(CornersBlack, "e8c8", BlackCastleQueen);
  EXPECT_EQ(Made.king[Black], 2);
  EXPECT_EQ(Made.board[3], BlackRook);
}

TEST(MakeMoveRoundTrip, RookAndKingMovesRemoveRights) {
  roundTrip(Corners, "h1h8", CaptureMove);  // both king-side rights go
  EXPECT_EQ(Made.castling, WhiteQueenSide | BlackQueenSide);
  roundTrip(Corners, "a1a8", CaptureMove);
  EXPECT_EQ(Made.castling, WhiteKingSide | BlackKingSide);
  roundTrip(CornersBlack, "a8a1", CaptureMove);
  EXPECT_EQ(Made.castling, WhiteKingSide | BlackKingSide);
  roundTrip(Corners, "a1a2", QuietMove);
  EXPECT_EQ(Made.castling, WhiteKingSide | BlackKingSide | BlackQueenSide);
  roundTrip(CornersBlack, "h8h5", QuietMove);
  EXPECT_EQ(Made.castling, WhiteKingSide | WhiteQueenSide | BlackQueenSide);
  roundTrip(Corners, "e1d2", QuietMove);
  EXPECT_EQ(Made.castling, BlackKingSide | BlackQueenSide);
  roundTrip(CornersBlack, "e8f7", QuietMove);
  EXPECT_EQ(Made.castling, WhiteKingSide | WhiteQueenSide);
  // A White rook arriving on h8 from elsewhere does not touch White's own rights.
  roundTrip("r3k2r/8/8/8/8/8/8/R3K1R1 w Qkq -", "g1g8", QuietMove);
  EXPECT_EQ(Made.castling, WhiteQueenSide | BlackKingSide | BlackQueenSide);
}

TEST(MakeMoveKeys, DoubleStepPutsEnPassantInBothKeysAndTheReplyTakesItOut) {
  setUpPosition(Start);
  const uint64_t startKey = Pos.key;
  const uint32_t startPawnKey = Pos.pawnKey;
  PlyState first{}, second{};
  savePlyState(first);
  makeMove(makeMoveValue(52, 36, QuietMove), first);
  EXPECT_EQ(Pos.enPassant, 44);
  const uint64_t pawnChange = KeyTable[WhitePawn][52] ^ KeyTable[WhitePawn][36];
  EXPECT_EQ(Pos.key, startKey ^ pawnChange ^ KeyTable[0][44]);
  EXPECT_EQ(Pos.pawnKey, startPawnKey ^ static_cast<uint32_t>(pawnChange ^ KeyTable[0][44]));
  savePlyState(second);
  makeMove(makeMoveValue(1, 18, QuietMove), second);  // b8c6
  EXPECT_EQ(Pos.enPassant, 0);
  EXPECT_EQ(Pos.key, startKey ^ pawnChange ^ KeyTable[BlackKnight][1] ^ KeyTable[BlackKnight][18]);
  EXPECT_EQ(Pos.pawnKey, startPawnKey ^ static_cast<uint32_t>(pawnChange));
  EXPECT_TRUE(positionIsConsistent());
}

TEST(MakeMoveKeys, CastlingFoldsOnlyTheOtherRight) {
  setUpPosition(Corners);
  const uint64_t before = Pos.key;
  PlyState record{};
  savePlyState(record);
  makeMove(WhiteKingSideCastle, record);
  EXPECT_EQ(Pos.key, before ^ KeyTable[WhiteKing][60] ^ KeyTable[WhiteKing][62] ^
                         KeyTable[WhiteRook][63] ^ KeyTable[WhiteRook][61] ^
                         rightKey(WhiteQueenSide));
  EXPECT_EQ(Pos.castling & (WhiteKingSide | WhiteQueenSide), 0);

  // Without the other right there is nothing to fold in.
  setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R b k -");
  const uint64_t blackBefore = Pos.key;
  savePlyState(record);
  makeMove(BlackKingSideCastle, record);
  EXPECT_EQ(Pos.key, blackBefore ^ KeyTable[BlackKing][4] ^ KeyTable[BlackKing][6] ^
                         KeyTable[BlackRook][7] ^ KeyTable[BlackRook][5]);
}

TEST(MakeMoveKeys, KingMoveFoldsBothRights) {
  setUpPosition(Corners);
  const uint64_t before = Pos.key;
  PlyState record{};
  savePlyState(record);
  makeMove(makeMoveValue(60, 61, QuietMove), record);
  EXPECT_EQ(Pos.key, before ^ KeyTable[WhiteKing][60] ^ KeyTable[WhiteKing][61] ^
                         rightKey(WhiteKingSide) ^ rightKey(WhiteQueenSide));
}

TEST(MakeMoveKeys, RookCaptureOnCornerFoldsTheRightOnlyWhileHeld) {
  setUpPosition("4k2r/8/8/8/8/8/8/4K2R w Kk -");
  uint64_t before = Pos.key;
  PlyState record{};
  savePlyState(record);
  makeMove(makeMoveValue(63, 7, CaptureMove), record);
  EXPECT_EQ(Pos.castling, 0);
  EXPECT_EQ(Pos.key, before ^ KeyTable[BlackRook][7] ^ KeyTable[WhiteRook][63] ^
                         KeyTable[WhiteRook][7] ^ rightKey(BlackKingSide) ^
                         rightKey(WhiteKingSide));

  setUpPosition("4k2r/8/8/8/8/8/8/4K1R1 w - -");
  before = Pos.key;
  savePlyState(record);
  makeMove(makeMoveValue(62, 6, QuietMove), record);  // g1g8: nothing to remove
  savePlyState(record);
  EXPECT_EQ(Pos.castling, 0);
  EXPECT_EQ(Pos.key, before ^ KeyTable[WhiteRook][62] ^ KeyTable[WhiteRook][6]);
}

TEST(MakeMoveCounters, ReversibleCountAndMaterial) {
  setUpPosition(Start);
  PlyState records[8]{};
  const Move knightDance[] = {makeMoveValue(62, 45, 0), makeMoveValue(6, 21, 0),
                              makeMoveValue(45, 62, 0), makeMoveValue(21, 6, 0),
                              makeMoveValue(62, 45, 0), makeMoveValue(6, 21, 0)};
  for (int i = 0; i < 6; ++i) {
    savePlyState(records[i]);
    makeMove(knightDance[i], records[i]);
    EXPECT_EQ(Pos.historyTop->reversible, i + 1);
  }
  savePlyState(records[6]);
  makeMove(makeMoveValue(52, 44, QuietMove), records[6]);  // e2e3 resets the count
  EXPECT_EQ(Pos.historyTop->reversible, 0);
  for (int i = 6; i >= 0; --i)
    unmakeMove(i == 6 ? makeMoveValue(52, 44, 0) : knightDance[i], records[i]);
  EXPECT_EQ(Pos.historyTop, Pos.history);

  // Knight promotion taking a rook: 2 - 5 = -3 in all.
  setUpPosition("1r2k3/P7/8/8/8/8/8/4K3 w - -");
  const int total = Pos.totalMaterial;
  PlyState record{};
  savePlyState(record);
  makeMove(makeMoveValue(8, 1, CapturePromoteKnight), record);
  EXPECT_EQ(record.materialChange, -3);
  EXPECT_EQ(Pos.totalMaterial, total - 3);
  EXPECT_EQ(Pos.pieceMaterial[White], 3);
  EXPECT_EQ(Pos.pieceMaterial[Black], 0);
  EXPECT_EQ(Pos.pawnCount[White], 0);
  EXPECT_EQ(record.captured, BlackRook);
  EXPECT_EQ(Pos.historyTop->reversible, 0);
}

TEST(MakeMoveDeathTest, ResultMarkerIsRecordedAndEndsTheProgram) {
  const std::string dir = makeScratchDirectory("core-error");
  ASSERT_FALSE(dir.empty());
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  setUpPosition(Start);
  PlyState record{};
  EXPECT_EXIT(makeMove(Stalemated, record), ::testing::ExitedWithCode(3), "");
  EXPECT_EXIT(unmakeMove(StandPat, record), ::testing::ExitedWithCode(3), "");
  std::filesystem::current_path(previous);
  EXPECT_EQ(readWholeFile(dir + "/!error.err"),
            "\n MV_NOT_VALID: 12353; from=1; to=1; type=3\n"
            "\n MV_NOT_VALID 2: 12873; from=9; to=9; type=3\n");
  std::filesystem::remove_all(dir);
}
