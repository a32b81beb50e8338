#include "book/polyglot_key.h"

namespace {

// Piece kinds of the format: black pawn 0, white pawn 1, black knight 2, ...,
// white king 11. Engine codes run white pawn 1, black pawn 2, white knight 3, ...
int kindOf(PieceCode code) { return 2 * ((code - 1) >> 1) + ownerOf(code); }

// Rank 1 is 0 in the format; row 0 is rank 8 on the engine's board.
int formatSquare(int square) { return 8 * (7 - rowOf(square)) + fileOf(square); }

struct CastlingTerm {
  uint16_t right;
  int king;
  int rook;
  PieceCode kingCode;
  PieceCode rookCode;
};
// In the format's order: white short, white long, black short, black long.
constexpr CastlingTerm CastlingTerms[4] = {
    {WhiteKingSide, squareOf(4, 1), squareOf(7, 1), WhiteKing, WhiteRook},
    {WhiteQueenSide, squareOf(4, 1), squareOf(0, 1), WhiteKing, WhiteRook},
    {BlackKingSide, squareOf(4, 8), squareOf(7, 8), BlackKing, BlackRook},
    {BlackQueenSide, squareOf(4, 8), squareOf(0, 8), BlackKing, BlackRook},
};

// Can a pawn of the side to move take en passant on the square passed over?
bool enPassantCounts(const Position& position) {
  const int passed = position.enPassant;
  if (passed == 0) return false;
  // White to move: the black pawn stands one row below the square passed over.
  const bool whiteToMove = position.side == White;
  const int pawnSquare = whiteToMove ? passed + 8 : passed - 8;
  if (pawnSquare < 0 || pawnSquare >= 64) return false;
  const PieceCode capturer = whiteToMove ? WhitePawn : BlackPawn;
  const int file = fileOf(pawnSquare);
  return (file > 0 && position.board[pawnSquare - 1] == capturer) ||
         (file < 7 && position.board[pawnSquare + 1] == capturer);
}

}  // namespace

uint64_t polyglotKey(const Position& position) {
  uint64_t key = 0;
  for (int square = 0; square < 64; ++square) {
    const PieceCode code = position.board[square];
    if (code != Empty) key ^= PolyglotRandom[64 * kindOf(code) + formatSquare(square)];
  }
  // A right counts only while its king and rook are at home, as it does for
  // every other writer of the format.
  for (int i = 0; i < 4; ++i) {
    const CastlingTerm& term = CastlingTerms[i];
    if ((position.castling & term.right) && position.board[term.king] == term.kingCode &&
        position.board[term.rook] == term.rookCode) {
      key ^= PolyglotRandom[PolyglotCastlingOffset + i];
    }
  }
  if (enPassantCounts(position))
    key ^= PolyglotRandom[PolyglotEnPassantOffset + fileOf(position.enPassant)];
  if (position.side == White) key ^= PolyglotRandom[PolyglotTurnOffset];
  return key;
}
