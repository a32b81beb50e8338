// Piece values, the sixteen piece-square tables and their choice by phase.
//
// Tables are written rank 8 first, files a to h, so entry s is the square
// with index s. White pieces read entry s; how Black pieces and kings read
// them is up to each user (the evaluation turns the board for Black, the
// exchange evaluator does not).
#include "core/piece_square.h"

const int16_t PieceValue[13] = {0, 100, 100, 320, 320, 325, 325, 500, 500, 950, 950, 2000, 2000};

const int16_t* PieceSquareLookup[6][PhaseCount];

namespace {

// Phase bands: the phase is the total material of both sides (78 at the start).
constexpr int OpeningAbove = 70;    // above: every kind reads its opening table
constexpr int PawnMiddleFrom = 63;  // 63..70: pawns still on their second table
constexpr int KingMiddleFrom = 47;  // 47..70: king on its second table
constexpr int LateFrom = 15;        // 15..46 king, 15..62 pawns: third tables
                                    // 0..14: king and pawns on their fourth tables

// clang-format off
// King: hide in the corner early, walk to the centre when material is gone.
const int16_t KingOpening[64] = {
      4,  12,  -4,  -6,  -6,  -4,  12,   4,
     -9, -14, -24, -29, -29, -24, -14,  -9,
    -19, -28, -39, -30, -30, -39, -28, -19,
    -25, -39, -40, -55, -55, -40, -39, -25,
    -25, -39, -40, -55, -55, -40, -39, -25,
    -19, -28, -39, -30, -30, -39, -28, -19,
     -9, -14, -24, -29, -29, -24, -14,  -9,
      4,  12,  -2,  -6,  -6,  -2,  12,   4,
};
const int16_t KingMiddle[64] = {
      0,   6,  -3,  -5,  -5,  -3,   6,   0,
     -7, -11, -18, -22, -22, -18, -11,  -7,
    -14, -20, -28, -24, -24, -28, -20, -14,
    -18, -28, -30, -35, -35, -30, -28, -18,
    -18, -28, -30, -35, -35, -30, -28, -18,
    -14, -20, -28, -24, -24, -28, -20, -14,
     -7, -11, -18, -22, -22, -18, -11,  -7,
      0,   6,  -2,  -5,  -5,  -2,   6,   0,
};
// Two points per king step towards the centre.
const int16_t KingLate[64] = {
     -8,  -6,  -4,  -2,  -2,  -4,  -6,  -8,
     -6,  -4,  -2,   0,   0,  -2,  -4,  -6,
     -4,  -2,   0,   2,   2,   0,  -2,  -4,
     -2,   0,   2,   4,   4,   2,   0,  -2,
     -2,   0,   2,   4,   4,   2,   0,  -2,
     -4,  -2,   0,   2,   2,   0,  -2,  -4,
     -6,  -4,  -2,   0,   0,  -2,  -4,  -6,
     -8,  -6,  -4,  -2,  -2,  -4,  -6,  -8,
};
const int16_t KingEnding[64] = {
    -26, -19, -12,  -9,  -9, -12, -19, -26,
    -19, -15,  -6,   0,   0,  -6, -15, -19,
    -15,  -6,   0,   4,   4,   0,  -6, -15,
    -12,   0,   4,   9,   9,   4,   0, -12,
    -12,   0,   4,   9,   9,   4,   0, -12,
    -15,  -6,   0,   4,   4,   0,  -6, -15,
    -19, -15,  -6,   0,   0,  -6, -15, -19,
    -26, -19, -12,  -9,  -9, -12, -19, -26,
};

// Pawns: the rank-8 row is the promotion bonus scale and is never read for a
// pawn standing there; advanced pawns gain as material comes off.
const int16_t PawnOpening[64] = {
     99,  99,  99,  99,  99,  99,  99,  99,
     18,  31,  33,  40,  40,  33,  31,  18,
      4,   5,  18,  26,  26,  18,   5,   4,
      1,   1,   4,  16,  16,   4,   1,   1,
      0,   0,   3,  12,  12,   3,   0,   0,
      0,  -1,   1,   2,   2,  -1,  -1,   0,
      0,   0,   0,  -9,  -9,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};
const int16_t PawnMiddle[64] = {
    199, 199, 199, 199, 199, 199, 199, 199,
     29,  38,  45,  53,  53,  45,  38,  29,
     10,  14,  24,  32,  32,  24,  14,  10,
      4,   5,  10,  20,  20,  10,   5,   4,
      1,   2,   6,  14,  14,   6,   2,   1,
      0,   0,   1,   3,   3,   1,   0,   0,
      0,   0,   0,  -9,  -9,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};
const int16_t PawnLate[64] = {
    299, 299, 299, 299, 299, 299, 299, 299,
     52,  60,  68,  75,  75,  68,  60,  52,
     30,  34,  40,  45,  45,  40,  34,  30,
     14,  16,  20,  24,  24,  20,  16,  14,
      5,   6,   9,  15,  15,   9,   6,   5,
      1,   1,   2,   3,   3,   2,   1,   1,
      0,   0,   0,  -9,  -9,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};
const int16_t PawnEnding[64] = {
    499, 499, 499, 499, 499, 499, 499, 499,
     72,  82,  94, 104, 104,  94,  82,  72,
     45,  50,  58,  65,  65,  58,  50,  45,
     24,  27,  31,  35,  35,  31,  27,  24,
     10,  11,  14,  18,  18,  14,  11,  10,
      3,   3,   4,   5,   5,   4,   3,   3,
      0,   0,   0,  -9,  -9,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};

const int16_t KnightOpening[64] = {
    -25, -15, -10,  -8,  -8, -10, -15, -25,
    -15,  -5,   0,   3,   3,   0,  -5, -15,
    -10,   2,   8,  11,  11,   8,   2, -10,
     -8,   4,  11,  17,  17,  11,   4,  -8,
     -8,   4,  11,  17,  17,  11,   4,  -8,
    -10,   2,   8,  10,  10,   8,   2, -10,
    -15,  -5,   0,   2,   2,   0,  -5, -15,
    -25, -18, -10,  -8,  -8, -10, -18, -25,
};
const int16_t KnightLater[64] = {
    -19, -12,  -8,  -6,  -6,  -8, -12, -19,
    -12,  -4,   0,   2,   2,   0,  -4, -12,
     -8,   1,   6,   8,   8,   6,   1,  -8,
     -6,   3,   8,  13,  13,   8,   3,  -6,
     -6,   3,   8,  13,  13,   8,   3,  -6,
     -8,   1,   6,   8,   8,   6,   1,  -8,
    -12,  -4,   0,   2,   2,   0,  -4, -12,
    -19, -12,  -8,  -6,  -6,  -8, -12, -19,
};

// The opening bishop table is lopsided on purpose: squares on the king's wing
// score low, so early bishop play goes to the centre and the queen side.
const int16_t BishopOpening[64] = {
    -19, -18, -18, -12, -12, -18, -18, -31,
      6,   2,   3,   3,   2,   6, -12,  -8,
      4,   5,   8,   8,   5,   4,  -8,   0,
      6,   9,  12,  12,   9,   6,   0,   0,
      6,   9,  12,  12,   9,   6,   0,  -8,
      4,   5,   8,   8,   5,   4,  -8, -12,
      6,   2,   3,   3,   2,   6, -12, -19,
    -18, -18, -12, -12, -18, -18, -19,   0,
};
const int16_t BishopLater[64] = {
    -15,  -9,  -6,  -4,  -4,  -6,  -9, -15,
     -9,  -2,   1,   3,   3,   1,  -2,  -9,
     -6,   1,   6,   8,   8,   6,   1,  -6,
     -4,   3,   8,  13,  13,   8,   3,  -4,
     -4,   3,   8,  13,  13,   8,   3,  -4,
     -6,   1,   6,   8,   8,   6,   1,  -6,
     -9,  -2,   1,   3,   3,   1,  -2,  -9,
    -15,  -9,  -6,  -4,  -4,  -6,  -9, -15,
};

// Rooks: the seventh rank above all; centre files on the first rank, corners
// penalised while the rook is still boxed in.
const int16_t RookOpening[64] = {
      0,   0,   2,   4,   4,   2,   0,   0,
      7,   9,  11,  12,  12,  11,   9,   7,
     -2,   0,   1,   2,   2,   1,   0,  -2,
     -3,  -1,   0,   1,   1,   0,  -1,  -3,
     -4,  -2,   0,   1,   1,   0,  -2,  -4,
     -5,  -3,   0,   1,   1,   0,  -3,  -5,
     -7,  -5,  -1,   0,   0,  -1,  -5,  -7,
    -13, -12,   0,   2,   2,   0, -12, -13,
};
const int16_t RookLater[64] = {
      0,   0,   2,   4,   4,   2,   0,   0,
      7,   9,  11,  12,  12,  11,   9,   7,
     -2,   0,   1,   2,   2,   1,   0,  -2,
     -3,  -1,   0,   1,   1,   0,  -1,  -3,
     -4,  -2,   0,   1,   1,   0,  -2,  -4,
     -5,  -3,   0,   1,   1,   0,  -3,  -5,
     -4,  -3,   0,   0,   0,   0,  -3,  -4,
     -8,  -6,   0,   1,   1,   0,  -6,  -8,
};

const int16_t QueenOpening[64] = {
     -2,   0,   0,   0,   0,   0,   0,  -2,
      0,   1,   1,   1,   1,   1,   1,   0,
      0,   1,   2,   2,   2,   2,   1,   0,
      0,   1,   2,   3,   3,   2,   1,   0,
      0,   1,   2,   3,   3,   2,   1,   0,
      0,   1,   2,   2,   2,   2,   1,   0,
     -1,   0,   2,   3,   3,   2,   0,  -1,
     -4,  -2,   3,   9,   9,   3,  -2,  -4,
};
const int16_t QueenLater[64] = {
      0,   1,   2,   3,   3,   2,   1,   0,
      6,   7,   8,   9,   9,   8,   7,   6,
      1,   3,   4,   5,   5,   4,   3,   1,
      1,   3,   5,   7,   7,   5,   3,   1,
      0,   3,   5,   7,   7,   5,   3,   0,
     -1,   1,   3,   5,   5,   3,   1,  -1,
     -2,   0,   1,   2,   2,   1,   0,  -2,
     -4,  -2,  -1,   0,   0,  -1,  -2,  -4,
};
// clang-format on

}  // namespace

void initPieceSquareLookups() {
  for (int phase = 0; phase < PhaseCount; ++phase) {
    // 1. Above the opening bound (including phases raised by promotions past
    //    the starting material): every kind on its opening table.
    if (phase > OpeningAbove) {
      PieceSquareLookup[KindKing][phase] = KingOpening;
      PieceSquareLookup[KindPawn][phase] = PawnOpening;
      PieceSquareLookup[KindKnight][phase] = KnightOpening;
      PieceSquareLookup[KindBishop][phase] = BishopOpening;
      PieceSquareLookup[KindRook][phase] = RookOpening;
      PieceSquareLookup[KindQueen][phase] = QueenOpening;
      continue;
    }
    // 2-5. The pieces switch once; king and pawns step down through their bands.
    PieceSquareLookup[KindKnight][phase] = KnightLater;
    PieceSquareLookup[KindBishop][phase] = BishopLater;
    PieceSquareLookup[KindRook][phase] = RookLater;
    PieceSquareLookup[KindQueen][phase] = QueenLater;
    PieceSquareLookup[KindKing][phase] = phase >= KingMiddleFrom ? KingMiddle
                                         : phase >= LateFrom     ? KingLate
                                                                 : KingEnding;
    PieceSquareLookup[KindPawn][phase] = phase >= PawnMiddleFrom ? PawnMiddle
                                         : phase >= LateFrom     ? PawnLate
                                                                 : PawnEnding;
  }
}
