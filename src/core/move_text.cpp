// Coordinate move text of the protocol (e2e4, e7e8q, e1g1).
#include "core/move_text.h"

#include "core/position.h"

namespace {

// Text of the castling types, 12..15.
constexpr const char* CastlingText[4] = {"e8g8", "e1g1", "e8c8", "e1c1"};
// Promotion letter by move type, 4..11.
constexpr char PromotionLetter[16] = {0,   0,   0,   0,   'q', 'n', 'r', 'b',
                                      'q', 'n', 'r', 'b', 0,   0,   0,   0};

constexpr int PromotionTypeOffset = CapturePromoteQueen - PromoteQueen;

// King squares of castling.
constexpr int E8 = squareOf(4, 8), C8 = squareOf(2, 8), G8 = squareOf(6, 8);
constexpr int E1 = squareOf(4, 1), C1 = squareOf(2, 1), G1 = squareOf(6, 1);

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }

int promotionTypeOf(char c) {
  switch (c) {
    case 'q':
      return PromoteQueen;
    case 'n':
      return PromoteKnight;
    case 'r':
      return PromoteRook;
    case 'b':
      return PromoteBishop;
    default:
      return 0;
  }
}

}  // namespace

char* moveToText(char* buffer, Move m) {
  char* out = buffer;
  const int type = moveType(m);
  // 1. Castling has a fixed text.
  if (type >= BlackCastleKing) {
    for (const char* t = CastlingText[type - BlackCastleKing]; *t != '\0'; ++t) *out++ = *t;
  } else {
    // 2. Squares, then the promotion letter.
    *out++ = fileChar(moveFrom(m));
    *out++ = rankChar(moveFrom(m));
    *out++ = fileChar(moveTo(m));
    *out++ = rankChar(moveTo(m));
    if (PromotionLetter[type] != 0) *out++ = PromotionLetter[type];
  }
  // 3. Terminate.
  *out = '\0';
  return out;
}

Move textToMove(const char* text) {
  if (text == nullptr) return 0;
  const RootSnapshot& root = Pos.root;
  // 1. Two squares. Each character is checked before the next is read, so a
  // short text ends the check at its NUL.
  if (!isFile(text[0]) || !isRank(text[1]) || !isFile(text[2]) || !isRank(text[3])) return 0;
  const int from = squareOf(text[0] - 'a', text[1] - '0');
  const int to = squareOf(text[2] - 'a', text[3] - '0');

  // 2. Castling, recognised by the king's squares while the side holds the right.
  if (root.castling != 0) {
    if (from == E8 && (root.castling & (BlackKingSide | BlackQueenSide))) {
      if (to == C8 && (root.castling & BlackQueenSide)) return BlackQueenSideCastle;
      if (to == G8 && (root.castling & BlackKingSide)) return BlackKingSideCastle;
    }
    if (from == E1 && (root.castling & (WhiteKingSide | WhiteQueenSide))) {
      if (to == C1 && (root.castling & WhiteQueenSide)) return WhiteQueenSideCastle;
      if (to == G1 && (root.castling & WhiteKingSide)) return WhiteKingSideCastle;
    }
  }

  const bool destinationOccupied = root.board[to] != Empty;
  // 3. Pawn moves (or an empty origin): en passant and promotions.
  if (root.board[from] <= BlackPawn) {
    const char suffix = text[4];
    if (suffix == '\0') {
      if (root.enPassant != 0 && root.enPassant == to)
        return makeMoveValue(from, to, EnPassantMove);
    } else {
      const int promotion = promotionTypeOf(suffix);
      if (promotion == 0) return makeMoveValue(from, to, QuietMove);
      return makeMoveValue(from, to, promotion + (destinationOccupied ? PromotionTypeOffset : 0));
    }
  }

  // 4. Plain move or capture.
  return makeMoveValue(from, to, destinationOccupied ? CaptureMove : QuietMove);
}
