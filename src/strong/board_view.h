// Read-only views of the process-wide Position that the strong search and
// its evaluation use: pieces by side and kind, shifted sets, attackers.
#pragma once

#include "core/attacks.h"
#include "core/piece_square.h"
#include "core/position.h"
#include "core/types.h"
#include "strong/rays.h"

constexpr Bitboard FileABits = 0x8080808080808080ULL;
constexpr Bitboard FileHBits = 0x0101010101010101ULL;
constexpr Bitboard rankBitsOf(int rank) { return Bitboard{0xFF} << (8 * (rank - 1)); }

// Pieces of one side and kind (kings included, as their square).
inline Bitboard piecesOf(Side side, int kind) {
  return kind == KindKing ? bitOf(Pos.king[side]) : Pos.pieces[pieceOf(2 * kind + 1, side)];
}
inline Bitboard sideOccupancy(Side side) { return Pos.pieces[OccupancyIndex + side]; }

// One step towards the far side of `side`, and the squares its pawns attack.
template <Side S>
inline Bitboard forwardOf(Bitboard b) {
  return S == White ? b << 8 : b >> 8;
}
template <Side S>
inline Bitboard pawnAttackSet(Bitboard pawns) {
  if constexpr (S == White)
    return ((pawns & ~FileHBits) << 7) | ((pawns & ~FileABits) << 9);
  else
    return ((pawns & ~FileHBits) >> 9) | ((pawns & ~FileABits) >> 7);
}

// Rank 0..7 as `side` sees it (its first rank is 0).
constexpr int relativeRank(Side side, int square) {
  return side == White ? 7 - (square >> 3) : square >> 3;
}

// Every piece of either side attacking `square` with the given occupancy.
inline Bitboard attackersTo(int square, Bitboard occupancy) {
  const Bitboard queens = Pos.pieces[WhiteQueen] | Pos.pieces[BlackQueen];
  return (BlackPawnAttacks[square] & Pos.pieces[WhitePawn]) |
         (WhitePawnAttacks[square] & Pos.pieces[BlackPawn]) |
         (KnightAttacks[square] & (Pos.pieces[WhiteKnight] | Pos.pieces[BlackKnight])) |
         (KingAttacks[square] & (bitOf(Pos.king[White]) | bitOf(Pos.king[Black]))) |
         (rookRays(square, occupancy) & (Pos.pieces[WhiteRook] | Pos.pieces[BlackRook] | queens)) |
         (bishopRays(square, occupancy) &
          (Pos.pieces[WhiteBishop] | Pos.pieces[BlackBishop] | queens));
}

// Material other than pawns and the king, in the units of the core tables.
inline int nonPawnMaterial(Side side) { return Pos.pieceMaterial[side]; }
