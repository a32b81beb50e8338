#include "strong/move_rules.h"

#include "core/attacks.h"
#include "core/side_traits.h"
#include "movegen/legality.h"

namespace {

template <Side S>
bool castlingPossible(Move m) {
  using T = SideTraits<S>;
  if (m == T::KingSideCastle)
    return (Pos.castling & T::KingSide) &&
           !(Pos.all & (bitOf(T::KingSideRookTo) | bitOf(T::KingSideKing)));
  if (m == T::QueenSideCastle)
    return (Pos.castling & T::QueenSide) &&
           !(Pos.all & (bitOf(T::QueenSideRookFrom + 1) | bitOf(T::QueenSideKing) |
                        bitOf(T::QueenSideRookTo)));
  return false;
}

}  // namespace

bool isPseudoLegalMove(Move m) {
  if (!isRealMove(m)) return false;
  if (moveType(m) >= BlackCastleKing)
    return Pos.side == White ? castlingPossible<White>(m) : castlingPossible<Black>(m);
  if (!isMoveValid(m)) return false;
  // The legality test leaves the kings out: never step next to the other one.
  if (moveFrom(m) == Pos.king[Pos.side])
    return !(KingAttacks[Pos.king[opposite(Pos.side)]] & bitOf(moveTo(m)));
  return true;
}
