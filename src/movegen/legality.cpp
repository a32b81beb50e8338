// Check detection and the legality tests around the pseudo-legal generators.
//
// The empty-board tables serve as prefilters: a slider that is not even on a
// line through the square cannot attack it, which settles most positions
// without touching the rotated occupancies.
#include "movegen/legality.h"

#include <initializer_list>

#include "core/attacks.h"
#include "core/position.h"
#include "core/side_traits.h"
#include "core/slider_attacks.h"

namespace {

constexpr int NoSquare = 64;  // king squares at or above this are "no king placed"
constexpr Move FirstCastlingValue = 0xC000;

template <Side E>
inline Bitboard piecesOf(PieceCode whiteCode) {
  return Pos.pieces[pieceOf(whiteCode, E)];
}

// Is square s attacked by a piece of E? Pawn attacks are looked up from s as
// if a pawn of the other colour stood there. Kings are left out: the
// generators never move a king next to the other one.
template <Side E>
inline bool attackedBy(int s) {
  if (KnightAttacks[s] & piecesOf<E>(WhiteKnight)) return true;
  const Bitboard pawnSources = E == Black ? WhitePawnAttacks[s] : BlackPawnAttacks[s];
  if (pawnSources & piecesOf<E>(WhitePawn)) return true;
  const Bitboard queens = piecesOf<E>(WhiteQueen);
  const Bitboard orthogonal = piecesOf<E>(WhiteRook) | queens;
  const Bitboard diagonal = piecesOf<E>(WhiteBishop) | queens;
  if (!((orthogonal | diagonal) & QueenEmpty[s])) return false;
  if ((orthogonal & RookEmpty[s]) && (rookAttacks(s) & orthogonal)) return true;
  if ((diagonal & BishopEmpty[s]) && (bishopAttacks(s) & diagonal)) return true;
  return false;
}

// Squares of one castling: where the king starts, the square it crosses,
// and where the enemy king may not stand (next to the crossed or landing square).
struct CastlingPath {
  int start;
  int crossed;
  Bitboard enemyKingForbidden;
};

constexpr Bitboard bits(std::initializer_list<int> squares) {
  Bitboard b = 0;
  for (int s : squares) b |= bitOf(s);
  return b;
}

// e1 = 60, f1 = 61, d1 = 59; e8 = 4, f8 = 5, d8 = 3.
constexpr CastlingPath WhiteKingSidePath{60, 61, bits({60, 61, 62, 63, 52, 53, 54, 55})};
constexpr CastlingPath WhiteQueenSidePath{60, 59, bits({57, 58, 59, 49, 50, 51})};
constexpr CastlingPath BlackKingSidePath{4, 5, bits({4, 5, 6, 7, 12, 13, 14, 15})};
constexpr CastlingPath BlackQueenSidePath{4, 3, bits({1, 2, 3, 9, 10, 11})};

template <Side S>
bool castlingPathAttackedFor(Move m) {
  constexpr Side E = opposite(S);
  const bool kingSide = moveType(m) == SideTraits<S>::CastleKingType;
  const CastlingPath& path = S == White ? (kingSide ? WhiteKingSidePath : WhiteQueenSidePath)
                                        : (kingSide ? BlackKingSidePath : BlackQueenSidePath);
  if (attackedBy<E>(path.start) || attackedBy<E>(path.crossed)) return true;
  // Kings have no piece bitboard; read the king square.
  const int enemyKing = Pos.king[E];
  return enemyKing < NoSquare && (bitOf(enemyKing) & path.enemyKingForbidden);
}

template <Side S>
bool kingLeftInCheckFor(Move m) {
  const int king = Pos.king[S];
  if (king >= NoSquare) return false;
  if (attackedBy<opposite(S)>(king)) return true;
  if (m < FirstCastlingValue) return false;
  return castlingPathAttackedFor<S>(m);
}

template <Side S>
void computeCheckInfoFor(CheckInfo& info) {
  constexpr Side E = opposite(S);
  const int king = Pos.king[S];
  // 1. No checkers yet.
  info.checkers = 0;
  if (king >= NoSquare) return;
  const Bitboard queens = piecesOf<E>(WhiteQueen);
  const Bitboard orthogonal = piecesOf<E>(WhiteRook) | queens;
  const Bitboard diagonal = piecesOf<E>(WhiteBishop) | queens;
  // 2. Sliders only matter when one stands on a line through the king.
  if ((orthogonal | diagonal) & QueenEmpty[king]) {
    // 3. Rank and file.
    if (orthogonal & RookEmpty[king]) {
      info.orthogonalRays = rookAttacks(king);
      info.checkers = info.orthogonalRays & orthogonal;
    }
    // 4. Diagonals; a diagonal checker alone leaves no orthogonal rays, which
    //    the evasion generator reads as "the check is not along a line".
    if (diagonal & BishopEmpty[king]) {
      if (!info.checkers) info.orthogonalRays = 0;
      info.diagonalRays = bishopAttacks(king);
      info.checkers |= info.diagonalRays & diagonal;
    }
  }
  // 5. Knights.
  info.checkers |= KnightAttacks[king] & piecesOf<E>(WhiteKnight);
  // 6. Pawns: a White king is hit from the squares a White pawn would attack.
  const Bitboard pawnSources = SideTraits<S>::PawnAttacks[king];
  info.checkers |= pawnSources & piecesOf<E>(WhitePawn);
}

constexpr int rankOfSquare(int s) { return 8 - rowOf(s); }

template <Side S>
bool pawnMoveValid(int from, int to, int type) {
  constexpr Side E = opposite(S);
  using T = SideTraits<S>;
  constexpr int forward = T::Forward;
  constexpr int lastRank = T::LastRank;
  constexpr int doubleStepRank = T::DoubleStepRank;
  constexpr int enPassantRank = T::EnPassantRank;
  const Bitboard* attacks = T::PawnAttacks;
  const PieceCode target = Pos.board[to];
  const bool enemyOnTarget = target != Empty && ownerOf(target) == E;
  const bool promotes = rankOfSquare(to) == lastRank;
  // A pawn reaching the last rank must promote, and only there.
  const bool promotionType = type >= PromoteQueen && type <= CapturePromoteBishop;
  if (promotes != promotionType && type != EnPassantMove) return false;

  switch (type) {
    case QuietMove:
    case PromoteQueen:
    case PromoteKnight:
    case PromoteRook:
    case PromoteBishop:
      if (target != Empty) return false;
      if (to == from + forward) return true;
      return type == QuietMove && to == from + 2 * forward && rankOfSquare(to) == doubleStepRank &&
             Pos.board[to - forward] == Empty;
    case CaptureMove:
    case CapturePromoteQueen:
    case CapturePromoteKnight:
    case CapturePromoteRook:
    case CapturePromoteBishop:
      return (attacks[from] & bitOf(to)) && enemyOnTarget;
    case EnPassantMove:
      return Pos.enPassant != 0 && to == Pos.enPassant && target == Empty &&
             rankOfSquare(to) == enPassantRank && (attacks[from] & bitOf(to));
    default:
      return false;
  }
}

// Knight, bishop, rook, queen and king moves: quiet onto an empty square or
// capture onto an enemy piece, inside the piece's attack set.
inline bool pieceMoveValid(Bitboard reach, int to, int type) {
  if (!(reach & bitOf(to))) return false;
  const PieceCode target = Pos.board[to];
  if (type == QuietMove) return target == Empty;
  if (type == CaptureMove) return target != Empty && ownerOf(target) != Pos.side;
  return false;
}

}  // namespace

void computeCheckInfo(CheckInfo& info) {
  if (Pos.side == White)
    computeCheckInfoFor<White>(info);
  else
    computeCheckInfoFor<Black>(info);
}

bool kingLeftInCheck(Move m, Side side) {
  return side == White ? kingLeftInCheckFor<White>(m) : kingLeftInCheckFor<Black>(m);
}

bool castlingPathAttacked(Move m) {
  switch (moveType(m)) {
    case WhiteCastleKing:
    case WhiteCastleQueen:
      return castlingPathAttackedFor<White>(m);
    case BlackCastleKing:
    case BlackCastleQueen:
      return castlingPathAttackedFor<Black>(m);
    default:
      return false;
  }
}

bool isMoveValid(Move m) {
  const int from = moveFrom(m), to = moveTo(m), type = moveType(m);
  const PieceCode piece = Pos.board[from];
  if (piece == Empty || ownerOf(piece) != Pos.side) return false;
  switch (piece) {
    case WhitePawn:
      return pawnMoveValid<White>(from, to, type);
    case BlackPawn:
      return pawnMoveValid<Black>(from, to, type);
    case WhiteKnight:
    case BlackKnight:
      return pieceMoveValid(KnightAttacks[from], to, type);
    case WhiteBishop:
    case BlackBishop:
      return pieceMoveValid(bishopAttacks(from), to, type);
    case WhiteRook:
    case BlackRook:
      return pieceMoveValid(rookAttacks(from), to, type);
    case WhiteQueen:
    case BlackQueen:
      return pieceMoveValid(queenAttacks(from), to, type);
    default:  // kings
      if (from != Pos.king[Pos.side]) return false;
      return pieceMoveValid(KingAttacks[from], to, type);
  }
}
