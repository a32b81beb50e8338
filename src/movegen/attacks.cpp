// Attack tables (stub, being implemented).
#include "movegen/attacks.h"

#include "eval/piece_square.h"

Bitboard SquareBit[64];
Bitboard KingAttacks[64];
Bitboard KnightAttacks[64];
Bitboard WhitePawnAttacks[64];
Bitboard BlackPawnAttacks[64];
Bitboard FileMajorBit[64];
Bitboard DiagA1H8Bit[64];
Bitboard DiagA8H1Bit[64];
uint8_t DiagA1H8Shift[64];
uint8_t DiagA1H8Mask[64];
uint8_t DiagA8H1Shift[64];
uint8_t DiagA8H1Mask[64];
Bitboard RankAttacks[64][256];
Bitboard FileAttacks[64][256];
Bitboard DiagA1H8Attacks[64][256];
Bitboard DiagA8H1Attacks[64][256];
Bitboard RookEmpty[64];
Bitboard BishopEmpty[64];
Bitboard QueenEmpty[64];
Bitboard FileMask[64];
Bitboard AdjacentFilesMask[64];
Bitboard PassedPawnMask[2][64];
Bitboard FrontSpan[2][64];
Bitboard EnPassantPairFileMajor[64];
Bitboard EnPassantPairDiagA1H8[64];
Bitboard EnPassantPairDiagA8H1[64];

void initMoveTables() { initPieceSquareLookups(); }
Bitboard toFileMajor(Bitboard) { return 0; }
Bitboard toDiagA1H8(Bitboard) { return 0; }
Bitboard toDiagA8H1(Bitboard) { return 0; }
