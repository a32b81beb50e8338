// Setting up the Position from FEN text, writing it back and printing a board.
//
// The text is read into a scratch Position and copied into Pos only once it is
// accepted, so a rejected text never leaves a half-built position behind.
#include <cassert>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/attacks.h"
#include "core/key_table.h"
#include "core/position.h"

namespace {

constexpr uint8_t NoKingYet = 100;
constexpr int MaxCastlingLetters = 4;
constexpr int BackRanks[2] = {0, 7};  // rows of rank 8 and rank 1

// Board fields are copied into Pos in one block; the history is reset apart.
constexpr size_t BoardFieldsSize = offsetof(Position, history);

Position Scratch;

const char* skipBlanks(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

void resetBoardFields(Position& p) {
  std::memset(&p, 0, BoardFieldsSize);
  p.king[Black] = p.king[White] = NoKingYet;
  p.side = White;
  p.gamePly = 1;
}

// Character of a board entry; a code outside the table prints as empty.
char pieceChar(PieceCode code) { return code <= BlackKing ? PieceChars[code] : PieceChars[Empty]; }

PieceCode codeOfLetter(char c) {
  for (PieceCode code = WhitePawn; code <= BlackKing; ++code) {
    if (PieceChars[code] == c) return code;
  }
  return Empty;
}

void placePiece(Position& p, PieceCode code, int s) {
  const Side side = ownerOf(code);
  p.board[s] = code;
  p.key ^= KeyTable[code][s];
  if (code >= WhiteKing) {
    p.king[side] = static_cast<uint8_t>(s);
    return;
  }
  p.pieces[code] |= bitOf(s);
  p.totalMaterial = static_cast<uint8_t>(p.totalMaterial + MaterialUnits[code]);
  if (code <= BlackPawn) {
    p.pawnKey ^= static_cast<uint32_t>(KeyTable[code][s]);
    ++p.pawnCount[side];
  } else {
    p.pieceMaterial[side] = static_cast<uint8_t>(p.pieceMaterial[side] + MaterialUnits[code]);
  }
}

// Reads the placement; false on a character that is no placement character,
// including the end of the text before all 64 squares are covered, on a pawn
// on the first or last rank, and on more material than the counters can hold
// (far beyond anything a game can reach).
bool readPlacement(Position& p, const char*& text, int kingCount[2]) {
  int n = 0;
  int material = 0;
  while (n < 64) {
    const char c = *text;
    if (c >= '1' && c <= '8') {
      n += c - '0';
    } else if (c == '/') {
      // Rank ends are not checked: the square counter alone places the pieces.
    } else {
      const PieceCode code = codeOfLetter(c);  // '.' is no piece letter here
      if (code == Empty) return false;
      if (code <= BlackPawn && (rowOf(n) == BackRanks[0] || rowOf(n) == BackRanks[1])) return false;
      if (code >= WhiteKing) ++kingCount[ownerOf(code)];
      material += MaterialUnits[code];
      if (material > std::numeric_limits<decltype(p.totalMaterial)>::max()) return false;
      placePiece(p, code, n);
      ++n;
    }
    ++text;
  }
  return true;
}

// A castling right is kept only while its king and rook stand on their home
// squares: castling with a piece that is not there would conjure it up.
uint16_t usableRights(const Position& p, uint16_t rights) {
  struct Home {
    uint16_t right;
    int kingSquare;
    PieceCode king;
    int rookSquare;
    PieceCode rook;
  };
  constexpr Home Homes[] = {
      {WhiteKingSide, squareOf(4, 1), WhiteKing, squareOf(7, 1), WhiteRook},
      {WhiteQueenSide, squareOf(4, 1), WhiteKing, squareOf(0, 1), WhiteRook},
      {BlackKingSide, squareOf(4, 8), BlackKing, squareOf(7, 8), BlackRook},
      {BlackQueenSide, squareOf(4, 8), BlackKing, squareOf(0, 8), BlackRook},
  };
  for (const Home& h : Homes) {
    if (p.board[h.kingSquare] != h.king || p.board[h.rookSquare] != h.rook)
      rights &= static_cast<uint16_t>(~h.right);
  }
  return rights;
}

// An en-passant square is kept only where a double step of the side not to move
// can have passed: the square is empty, on the right rank, with that side's pawn
// in front of it. Any other square would let an en-passant capture take a pawn
// that is not there.
uint8_t plausibleEnPassant(const Position& p, int file, int rank) {
  const int s = squareOf(file, rank);
  constexpr int WhiteToMoveRank = 6, BlackToMoveRank = 3;  // where the last double step passed
  const int expectedRank = p.side == White ? WhiteToMoveRank : BlackToMoveRank;
  const int pawnSquare = p.side == White ? s + 8 : s - 8;
  const PieceCode pawn = pieceOf(WhitePawn, opposite(static_cast<Side>(p.side)));
  if (rank != expectedRank || p.board[s] != Empty || p.board[pawnSquare] != pawn) return 0;
  return static_cast<uint8_t>(s);
}

// Finds an EPD "bm"/"am" field; copies its move into `move` and returns the
// letter 'b' or 'a', or 0 when there is none that counts.
char findTestMove(const char* text, char move[MaxTestMoveLength + 1]) {
  while (*text != '\0' && *text != 'a' && *text != 'b') ++text;
  if (*text == '\0' || text[1] != 'm' || text[2] != ' ' || text[3] == '\0') return 0;
  const char kind = *text;
  const char* source = text + 3;
  int length = 0;
  while (length < MaxTestMoveLength && source[length] != '\0' && source[length] != ';' &&
         source[length] != ' ') {
    move[length] = source[length];
    ++length;
  }
  move[length] = '\0';
  return source[length] == ';' || source[length] == ' ' ? kind : 0;
}

bool kingsTouch(const Position& p) {
  const int files = std::abs(fileOf(p.king[Black]) - fileOf(p.king[White]));
  const int rows = std::abs(rowOf(p.king[Black]) - rowOf(p.king[White]));
  return files <= 1 && rows <= 1;
}

}  // namespace

bool readFen(const char* text, FenTestMove* testMove, FenCheck check) {
  if (text == nullptr) return false;
  Position& p = Scratch;
  int kingCount[2] = {0, 0};

  // 1. Reset.
  resetBoardFields(p);

  // 2. Placement.
  const char* cursor = skipBlanks(text);
  if (!readPlacement(p, cursor, kingCount)) return false;
  if (kingCount[Black] != 1 || kingCount[White] != 1) return false;

  // 3. Side to move.
  cursor = skipBlanks(cursor);
  if (*cursor == 'w' || *cursor == 'W') {
    p.side = White;
  } else if (*cursor == 'b' || *cursor == 'B') {
    p.side = Black;
  } else {
    return false;
  }
  ++cursor;

  // 4. Castling rights; the first other character ends the field and is used up.
  cursor = skipBlanks(cursor);
  for (int letters = 0; letters < MaxCastlingLetters && *cursor != '\0'; ++letters) {
    const char c = *cursor++;
    const uint16_t right = c == 'K'   ? WhiteKingSide
                           : c == 'Q' ? WhiteQueenSide
                           : c == 'k' ? BlackKingSide
                           : c == 'q' ? BlackQueenSide
                                      : 0;
    if (right == 0) break;
    p.castling |= right;
  }
  p.castling = usableRights(p, p.castling);

  // 5. En-passant square: a file letter and a rank digit, else none. A '-' stays.
  cursor = skipBlanks(cursor);
  if (*cursor >= 'a' && *cursor <= 'h' && cursor[1] >= '1' && cursor[1] <= '8') {
    p.enPassant = plausibleEnPassant(p, *cursor - 'a', cursor[1] - '0');
    cursor += 2;
  }

  // 6. Optional test move; the move counters before it are passed over.
  FenTestMove found{};
  found.kind = findTestMove(cursor, found.text);

  // 7. Occupancies.
  p.pieces[OccupancyIndex + Black] = p.pieces[BlackPawn] | p.pieces[BlackKnight] |
                                     p.pieces[BlackBishop] | p.pieces[BlackRook] |
                                     p.pieces[BlackQueen] | bitOf(p.king[Black]);
  p.pieces[OccupancyIndex + White] = p.pieces[WhitePawn] | p.pieces[WhiteKnight] |
                                     p.pieces[WhiteBishop] | p.pieces[WhiteRook] |
                                     p.pieces[WhiteQueen] | bitOf(p.king[White]);
  p.all = p.pieces[OccupancyIndex + Black] | p.pieces[OccupancyIndex + White];
  p.fileMajor = toFileMajor(p.all);
  p.diagA1H8 = toDiagA1H8(p.all);
  p.diagA8H1 = toDiagA8H1(p.all);

  // Kings on touching squares could take each other: no game reaches that,
  // and a search from it would move a king already taken.
  if (check == FenCheck::PlayableSetUp && kingsTouch(p)) return false;

  // The text is accepted: it becomes the Position.
  std::memcpy(static_cast<void*>(&Pos), &Scratch, BoardFieldsSize);
  std::memset(Pos.history, 0, sizeof Pos.history);
  Pos.historyTop = Pos.history;

  // 8. First history record.
  Pos.history[0].key = Pos.key;
  Pos.history[0].reversible = 0;

  // 9. Snapshot.
  refreshRootSnapshot();

  // 10. The test move is reported as text; reading it needs the move rules
  //     of a higher layer.
  Pos.gamePly = 1;
  if (testMove != nullptr) *testMove = found;
  assert(positionIsConsistent());
  return true;
}

char* writeFen(char* buffer) {
  char* out = buffer;
  int pending = 0;
  // 1. Placement: runs of empty squares become digits, ranks are split by '/'.
  for (int s = 0; s < 64; ++s) {
    const bool rankStart = fileOf(s) == 0;
    if (Pos.board[s] != Empty) {
      if (pending != 0) *out++ = static_cast<char>('0' + pending);
      if (rankStart && s != 0) *out++ = '/';
      *out++ = pieceChar(Pos.board[s]);
      pending = 0;
    } else if (rankStart) {
      if (pending != 0) *out++ = static_cast<char>('0' + pending);
      if (s != 0) *out++ = '/';
      pending = 1;
    } else {
      ++pending;
    }
  }
  // 2. Trailing empty squares.
  if (pending != 0) *out++ = static_cast<char>('0' + pending);
  // 3. Side to move.
  *out++ = ' ';
  *out++ = Pos.side == White ? 'w' : 'b';
  *out++ = ' ';
  // 4. Castling rights.
  if (Pos.castling == 0) {
    *out++ = '-';
  } else {
    if (Pos.castling & WhiteKingSide) *out++ = 'K';
    if (Pos.castling & WhiteQueenSide) *out++ = 'Q';
    if (Pos.castling & BlackKingSide) *out++ = 'k';
    if (Pos.castling & BlackQueenSide) *out++ = 'q';
  }
  // 5. En-passant square.
  *out++ = ' ';
  if (Pos.enPassant == 0) {
    *out++ = '-';
  } else {
    *out++ = fileChar(Pos.enPassant);
    *out++ = rankChar(Pos.enPassant);
  }
  *out = '\0';
  return out;
}

void printBoard(const PieceCode* board) {
  for (int s = 0; s < 64; ++s) {
    if (fileOf(s) == 0) std::printf("\n%d ", 8 - rowOf(s));
    std::printf("%c ", pieceChar(board[s]));
  }
  std::printf("\n\n  A B C D E F G H\n");
}
