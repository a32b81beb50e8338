#include "tools/san.h"

#include "core/attacks.h"
#include "core/make_move.h"
#include "core/position.h"
#include "core/slider_attacks.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

namespace {

// Only this many characters of a move text are looked at.
constexpr int SanTextLimit = 9;
// Marks that carry no information the reader needs.
constexpr const char* IgnoredMarks = "x+#!?=-";
constexpr Bitboard AnyOrigin = ~Bitboard{0};

bool isFileChar(char c) { return c >= 'a' && c <= 'h'; }
bool isRankChar(char c) { return c >= '1' && c <= '8'; }

// Square named by a file letter and a rank digit, or -1.
int squareFromText(char file, char rank) {
  if (!isFileChar(file) || !isRankChar(rank)) return -1;
  return squareOf(file - 'a', rank - '0');
}

// Offset of a promotion letter from the queen promotion type, or -1.
int promotionOffset(char c) {
  switch (c) {
    case 'Q':
    case 'q':
      return 0;
    case 'N':
    case 'n':
      return 1;
    case 'R':
    case 'r':
      return 2;
    case 'B':
    case 'b':
      return 3;
    default:
      return -1;
  }
}

// The a-file and the eighth rank; other files and rows are shifts of them.
constexpr Bitboard FileA = 0x8080808080808080ull;
constexpr Bitboard Row8 = 0xFF00000000000000ull;
static_assert((FileA & bitOf(squareOf(0, 1))) != 0 && (Row8 & bitOf(squareOf(7, 8))) != 0);

Bitboard fileSquares(int file) { return FileA >> file; }
Bitboard rowSquares(int row) { return Row8 >> (8 * row); }

// The square a pawn of the side to move came from when it stepped to `square`
// (one row towards its own side), or -1 off the board.
int squareBehind(int square) {
  const int behind = Pos.side == White ? square + 8 : square - 8;
  return behind >= 0 && behind < 64 ? behind : -1;
}

bool isPawnCode(PieceCode code) { return code == WhitePawn || code == BlackPawn; }

Move castleKingSide() {
  if (Pos.side == White) return (Pos.castling & WhiteKingSide) ? WhiteKingSideCastle : Move{0};
  return (Pos.castling & BlackKingSide) ? BlackKingSideCastle : Move{0};
}

Move castleQueenSide() {
  if (Pos.side == White) return (Pos.castling & WhiteQueenSide) ? WhiteQueenSideCastle : Move{0};
  return (Pos.castling & BlackQueenSide) ? BlackQueenSideCastle : Move{0};
}

// Two characters: castling king-side or a pawn push (single or double).
Move readTwoCharacters(const char* text) {
  if ((text[0] == 'O' && text[1] == 'O') || (text[0] == '0' && text[1] == '0')) {
    return castleKingSide();
  }
  const int to = squareFromText(text[0], text[1]);
  if (to < 0) return 0;
  int from = squareBehind(to);
  if (from < 0) return 0;
  // No pawn right behind: the push was a double step.
  if (!isPawnCode(Pos.board[from])) {
    from = squareBehind(from);
    if (from < 0) return 0;
  }
  return makeMoveValue(from, to, QuietMove);
}

// Three characters: queen-side castling, a promotion push, or a piece move
// or pawn capture without disambiguation.
Move readThreeCharacters(const char* text) {
  if ((text[0] == 'O' && text[1] == 'O' && text[2] == 'O') ||
      (text[0] == '0' && text[1] == '0' && text[2] == '0')) {
    return castleQueenSide();
  }
  const int promotion = promotionOffset(text[2]);
  if (promotion >= 0) {
    const int to = squareFromText(text[0], text[1]);
    if (to < 0) return 0;
    const int from = squareBehind(to);
    if (from < 0) return 0;
    return makeMoveValue(from, to, PromoteQueen + promotion);
  }
  const int to = squareFromText(text[1], text[2]);
  if (to < 0) return 0;
  return resolvePieceMove(text[0], to, AnyOrigin);
}

// Four characters: pawn capture with promotion (ed8Q), coordinate move, or a
// piece move disambiguated by file or rank (Nbd7, R1a3).
Move readFourCharacters(const char* text) {
  const int promotion = promotionOffset(text[3]);
  if (promotion >= 0) {
    const int to = squareFromText(text[1], text[2]);
    if (!isFileChar(text[0]) || to < 0) return 0;
    // A pawn captures onto a neighbouring file only.
    const int fileStep = text[0] - text[1];
    if (fileStep != 1 && fileStep != -1) return 0;
    int from;
    if (fileStep > 0) {
      from = Pos.side == White ? to + 9 : to - 7;
    } else {
      from = Pos.side == White ? to + 7 : to - 9;
    }
    if (from < 0 || from >= 64) return 0;
    const int type = (Pos.board[to] != Empty ? CapturePromoteQueen : PromoteQueen) + promotion;
    return makeMoveValue(from, to, type);
  }
  if (const Move m = parseCoordinateMove(text)) return m;

  const int to = squareFromText(text[2], text[3]);
  if (to < 0) return 0;
  Bitboard origins;
  if (isFileChar(text[1]) && isFileChar(text[2])) {
    origins = fileSquares(text[1] - 'a');
  } else if (isRankChar(text[1])) {
    origins = rowSquares('8' - text[1]);
  } else {
    return 0;
  }
  return resolvePieceMove(text[0], to, origins);
}

}  // namespace

Move parseSanMove(const char* text) {
  // 1. Keep the first characters and drop the marks.
  char cleaned[SanTextLimit + 1];
  int n = 0;
  for (int k = 0; k < SanTextLimit && text[k] != '\0'; ++k) {
    bool ignored = false;
    for (const char* mark = IgnoredMarks; *mark; ++mark) ignored |= text[k] == *mark;
    if (!ignored) cleaned[n++] = text[k];
  }
  cleaned[n] = '\0';

  // 2. The remaining length decides how the text is read.
  switch (n) {
    case 2:
      return readTwoCharacters(cleaned);
    case 3:
      return readThreeCharacters(cleaned);
    case 4:
      return readFourCharacters(cleaned);
    case 5:
      // A fully specified piece move (Qh4e1): the letter is redundant.
      if (const Move m = parseCoordinateMove(cleaned + 1)) return m;
      return parseCoordinateMove(cleaned);
    default:
      return 0;
  }
}

Move parseCoordinateMove(const char* text) {
  // Checked in order, so a short text is never read past its end.
  if (!isFileChar(text[0]) || !isRankChar(text[1]) || !isFileChar(text[2]) ||
      !isRankChar(text[3])) {
    return 0;
  }
  const int from = squareFromText(text[0], text[1]);
  const int to = squareFromText(text[2], text[3]);

  // King steps of two squares from the home square are castling while the
  // right remains; the piece on the origin is not looked at.
  if (from == squareOf(4, 8)) {
    if (to == squareOf(2, 8) && (Pos.castling & BlackQueenSide)) return BlackQueenSideCastle;
    if (to == squareOf(6, 8) && (Pos.castling & BlackKingSide)) return BlackKingSideCastle;
  } else if (from == squareOf(4, 1)) {
    if (to == squareOf(2, 1) && (Pos.castling & WhiteQueenSide)) return WhiteQueenSideCastle;
    if (to == squareOf(6, 1) && (Pos.castling & WhiteKingSide)) return WhiteKingSideCastle;
  }

  const bool occupied = Pos.board[to] != Empty;
  const PieceCode mover = Pos.board[from];
  if (mover == Empty || isPawnCode(mover)) {
    const char suffix = text[4];
    if (suffix == '\0') {
      if (Pos.enPassant != 0 && Pos.enPassant == to) return makeMoveValue(from, to, EnPassantMove);
    } else {
      const int promotion = promotionOffset(suffix);
      if (promotion < 0) return makeMoveValue(from, to, QuietMove);
      return makeMoveValue(from, to, (occupied ? CapturePromoteQueen : PromoteQueen) + promotion);
    }
  }
  return makeMoveValue(from, to, occupied ? CaptureMove : QuietMove);
}

Move resolvePieceMove(char piece, int destination, Bitboard originMask) {
  const Side side = Pos.side;
  int type = Pos.board[destination] != Empty ? CaptureMove : QuietMove;

  // 1. Candidate origins among the own pieces of the named kind.
  Bitboard candidates;
  switch (piece) {
    case 'N':
      candidates = Pos.pieces[pieceOf(WhiteKnight, side)] & KnightAttacks[destination] & originMask;
      break;
    case 'B':
      candidates = Pos.pieces[pieceOf(WhiteBishop, side)] & bishopAttacks(destination) & originMask;
      break;
    case 'R':
      candidates = Pos.pieces[pieceOf(WhiteRook, side)] & rookAttacks(destination) & originMask;
      break;
    case 'Q':
      candidates = Pos.pieces[pieceOf(WhiteQueen, side)] & queenAttacks(destination) & originMask;
      break;
    case 'K':
      if (Pos.king[side] >= 64) return 0;
      return makeMoveValue(Pos.king[side], destination, type);
    default:
      if (!isFileChar(piece)) return 0;
      // Squares from which an own pawn attacks the destination are those a
      // pawn of the other side on the destination would attack.
      candidates = Pos.pieces[pieceOf(WhitePawn, side)] & fileSquares(piece - 'a') &
                   (side == White ? BlackPawnAttacks[destination] : WhitePawnAttacks[destination]);
      if (type == QuietMove) type = EnPassantMove;
      break;
  }

  // 2. None or one candidate decides without a legality test.
  if (candidates == 0) return 0;
  if ((candidates & (candidates - 1)) == 0) {
    return makeMoveValue(firstSquare(candidates), destination, type);
  }

  // 3. Several: only the legal ones count (a pinned piece drops out).
  Move found = 0;
  for (Bitboard rest = candidates; rest != 0;) {
    const int from = firstSquare(rest);
    rest &= ~bitOf(from);
    const Move m = makeMoveValue(from, destination, type);
    if (!isMoveValid(m) || !leavesKingSafe(m)) continue;
    if (found != 0) return 0;
    found = m;
  }
  return found;
}
