// Fixed attack tables, rotated occupancies and the sliding-attack lookups.
#pragma once

#include "core/types.h"

// Leaper and single-square tables.
extern Bitboard SquareBit[64];
extern Bitboard KingAttacks[64];
extern Bitboard KnightAttacks[64];
extern Bitboard WhitePawnAttacks[64];  // squares a White pawn on s attacks
extern Bitboard BlackPawnAttacks[64];  // squares a Black pawn on s attacks

// Bit of each square inside each rotated occupancy.
extern Bitboard FileMajorBit[64];
extern Bitboard DiagA1H8Bit[64];
extern Bitboard DiagA8H1Bit[64];
extern uint8_t DiagA1H8Shift[64];
extern uint8_t DiagA1H8Mask[64];
extern uint8_t DiagA8H1Shift[64];
extern uint8_t DiagA8H1Mask[64];

// Sliding attacks by square and line occupancy (both directions, first
// blocker included).
extern Bitboard RankAttacks[64][256];
extern Bitboard FileAttacks[64][256];
extern Bitboard DiagA1H8Attacks[64][256];
extern Bitboard DiagA8H1Attacks[64][256];

// Attacks with only the square itself occupied.
extern Bitboard RookEmpty[64];
extern Bitboard BishopEmpty[64];
extern Bitboard QueenEmpty[64];

// Pawn-structure masks for the evaluation.
extern Bitboard FileMask[64];           // the file of s without s
extern Bitboard AdjacentFilesMask[64];  // the files beside s
extern Bitboard PassedPawnMask[2][64];  // [side]: own and adjacent files ahead of s
extern Bitboard FrontSpan[2][64];       // [side]: own file ahead of s

// Rotated-occupancy bits of an en-passant capture (destination and taken pawn),
// filled for rank-6 and rank-3 squares only.
extern Bitboard EnPassantPairFileMajor[64];
extern Bitboard EnPassantPairDiagA1H8[64];
extern Bitboard EnPassantPairDiagA8H1[64];

// Builds every table above.
void initAttackTables();

// Rotated occupancies of an all-occupancy.
Bitboard toFileMajor(Bitboard occupancy);
Bitboard toDiagA1H8(Bitboard occupancy);
Bitboard toDiagA8H1(Bitboard occupancy);

// Highest-numbered square of a non-empty set (its lowest bit).
inline int firstSquare(Bitboard b) { return 63 - __builtin_ctzll(b); }
inline int popCount(Bitboard b) { return __builtin_popcountll(b); }
