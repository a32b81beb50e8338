// Everything that differs between the two colours, fixed at compile time.
// Every per-side template (make/unmake, the generators, the legality tests,
// the evaluation) reads its colour vocabulary from here.
#pragma once

#include "core/attacks.h"
#include "core/types.h"

template <Side S>
struct SideTraits {
  static constexpr Side Them = opposite(S);
  // Entries of Pos.pieces.
  static constexpr int Own = OccupancyIndex + S;
  static constexpr int Other = OccupancyIndex + Them;
  static constexpr PieceCode Pawn = pieceOf(WhitePawn, S);
  static constexpr PieceCode Knight = pieceOf(WhiteKnight, S);
  static constexpr PieceCode Bishop = pieceOf(WhiteBishop, S);
  static constexpr PieceCode Rook = pieceOf(WhiteRook, S);
  static constexpr PieceCode Queen = pieceOf(WhiteQueen, S);
  static constexpr PieceCode King = pieceOf(WhiteKing, S);

  // Pawn geometry: square differences of a step towards the far side and of
  // the captures towards the a- and h-files.
  static constexpr int Forward = S == White ? -8 : 8;
  static constexpr int ForwardTowardA = S == White ? -9 : 7;
  static constexpr int ForwardTowardH = S == White ? -7 : 9;
  // Ranks as the side sees them: where pawns promote, stand one step before
  // promoting, may step once more after a first step, land after a double
  // step, and where an en-passant square of the side lies.
  static constexpr int LastRank = S == White ? 8 : 1;
  static constexpr int SeventhRank = S == White ? 7 : 2;
  static constexpr int ThirdRank = S == White ? 3 : 6;
  static constexpr int DoubleStepRank = S == White ? 4 : 5;
  static constexpr int EnPassantRank = S == White ? 6 : 3;
  // Squares the side's pawns attack from a square, and squares from which
  // they attack it.
  static constexpr const Bitboard* PawnAttacks = S == White ? WhitePawnAttacks : BlackPawnAttacks;
  static constexpr const Bitboard* PawnSources = S == White ? BlackPawnAttacks : WhitePawnAttacks;

  // Castling.
  static constexpr uint16_t KingSide = S == White ? WhiteKingSide : BlackKingSide;
  static constexpr uint16_t QueenSide = S == White ? WhiteQueenSide : BlackQueenSide;
  static constexpr Move KingSideCastle = S == White ? WhiteKingSideCastle : BlackKingSideCastle;
  static constexpr Move QueenSideCastle = S == White ? WhiteQueenSideCastle : BlackQueenSideCastle;
  static constexpr int CastleKingType = S == White ? WhiteCastleKing : BlackCastleKing;
  static constexpr int KingHome = S == White ? 60 : 4;  // e1 / e8
  // Castling squares, relative to the king's home square.
  static constexpr int KingSideKing = KingHome + 2, KingSideRookFrom = KingHome + 3,
                       KingSideRookTo = KingHome + 1;
  static constexpr int QueenSideKing = KingHome - 2, QueenSideRookFrom = KingHome - 4,
                       QueenSideRookTo = KingHome - 1;
  static constexpr Bitboard KingSideSquares =
      bitOf(KingHome) | bitOf(KingSideRookTo) | bitOf(KingSideKing) | bitOf(KingSideRookFrom);
  static constexpr Bitboard QueenSideSquares =
      bitOf(QueenSideRookFrom) | bitOf(QueenSideKing) | bitOf(QueenSideRookTo) | bitOf(KingHome);
};
