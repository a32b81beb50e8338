// Basic value types shared by every subsystem: squares, bitboards, sides,
// piece codes and the 16-bit move.
#pragma once

#include <cstdint>

using Bitboard = uint64_t;
using Move = uint16_t;
using PieceCode = uint8_t;

// Square 0 is a8, 7 is h8, 56 is a1, 63 is h1: index = (8 - rank) * 8 + file.
// In a Bitboard square s is the bit 1 << (63 - s), so a8 is the top bit.
constexpr int squareOf(int file, int rank) { return (8 - rank) * 8 + file; }
constexpr int fileOf(int square) { return square & 7; }
constexpr int rowOf(int square) { return square >> 3; }  // row 0 is rank 8
constexpr char fileChar(int square) { return static_cast<char>('a' + (square & 7)); }
constexpr char rankChar(int square) { return static_cast<char>('8' - (square >> 3)); }
constexpr Bitboard bitOf(int square) { return Bitboard{1} << (63 - square); }

// Every per-side array is indexed [Black] = 0, [White] = 1.
enum Side : int { Black = 0, White = 1 };
constexpr Side opposite(Side s) { return static_cast<Side>(s ^ 1); }

// Piece codes: White pieces are odd, Black even; 0 is an empty square.
enum : PieceCode {
  Empty = 0,
  WhitePawn = 1,
  BlackPawn = 2,
  WhiteKnight = 3,
  BlackKnight = 4,
  WhiteBishop = 5,
  BlackBishop = 6,
  WhiteRook = 7,
  BlackRook = 8,
  WhiteQueen = 9,
  BlackQueen = 10,
  WhiteKing = 11,
  BlackKing = 12,
};
// Entries 11 and 12 of the piece bitboards hold the occupancy of each side.
constexpr int OccupancyIndex = 11;  // + side
constexpr PieceCode pieceOf(PieceCode whiteCode, Side side) {
  return static_cast<PieceCode>(whiteCode + 1 - side);
}
constexpr Side ownerOf(PieceCode code) { return static_cast<Side>(code & 1); }
constexpr const char* PieceChars = ".PpNnBbRrQqKk";

// Material units by piece code (pawn 1, minor 3, rook 5, queen 9, king 0).
constexpr uint8_t MaterialUnits[13] = {0, 1, 1, 3, 3, 3, 3, 5, 5, 9, 9, 0, 0};

// Castling rights.
enum : uint16_t {
  WhiteKingSide = 1,
  WhiteQueenSide = 2,
  BlackKingSide = 8,
  BlackQueenSide = 16,
};

// Move layout: bits 0-5 destination, 6-11 origin, 12-15 type.
constexpr int moveTo(Move m) { return m & 63; }
constexpr int moveFrom(Move m) { return (m >> 6) & 63; }
constexpr int moveType(Move m) { return m >> 12; }
constexpr Move makeMoveValue(int from, int to, int type) {
  return static_cast<Move>((type << 12) | (from << 6) | to);
}

enum MoveType : int {
  QuietMove = 0,
  CaptureMove = 1,
  EnPassantMove = 2,
  ResultMarker = 3,
  PromoteQueen = 4,
  PromoteKnight = 5,
  PromoteRook = 6,
  PromoteBishop = 7,
  CapturePromoteQueen = 8,
  CapturePromoteKnight = 9,
  CapturePromoteRook = 10,
  CapturePromoteBishop = 11,
  BlackCastleKing = 12,
  WhiteCastleKing = 13,
  BlackCastleQueen = 14,
  WhiteCastleQueen = 15,
};

// The four castling moves are fixed values (king's squares in from/to).
constexpr Move BlackKingSideCastle = 0xC106;
constexpr Move WhiteKingSideCastle = 0xDF3E;
constexpr Move BlackQueenSideCastle = 0xE102;
constexpr Move WhiteQueenSideCastle = 0xFF3A;

// Result codes travel where a Move is expected (type 3).
enum ResultCode : Move {
  Checkmated = 0x3000,
  Stalemated = 0x3041,
  RepetitionDraw = 0x3082,
  NullMoveMarker = 0x3104,
  FiftyMoveDraw = 0x3186,
  InsufficientMaterial = 0x31C7,
  NoMoveYet = 0x3208,
  StandPat = 0x3249,
};
constexpr bool isResultCode(Move m) { return moveType(m) == ResultMarker; }
constexpr bool isRealMove(Move m) { return m != 0 && moveType(m) != ResultMarker; }

// Scores: signed 16-bit centipawns from the side to move's view.
constexpr int MateBase = 8100;            // mated at ply p scores p - MateBase
constexpr int IllegalScore = 8190;        // -8190: illegal move / starting best score
constexpr int MateScoreThreshold = 8050;  // scores beyond +-this are mate scores

// Search limits: the deepest ply a search steps to (deeper, only the
// quiescence search goes on) and the records of the ply stack, which leave
// room for the quiescence plies below the last one.
constexpr int MaxSearchPly = 127;
constexpr int PlyStackSize = 136;
