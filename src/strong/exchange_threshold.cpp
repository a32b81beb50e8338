// The exchange is played out with the least valuable attacker each time;
// sliders hidden behind a piece that takes join the exchange as it goes.
#include "strong/exchange_threshold.h"

#include "strong/board_view.h"

namespace {

constexpr int PromotedKind[16] = {
    0,         0,          0,        0,          KindQueen, KindKnight, KindRook, KindBishop,
    KindQueen, KindKnight, KindRook, KindBishop, 0,         0,          0,        0};

inline bool isPromotion(int type) { return type >= PromoteQueen && type <= CapturePromoteBishop; }

}  // namespace

int immediateGain(Move m) {
  const int type = moveType(m);
  if (type >= BlackCastleKing) return 0;
  int gain = 0;
  if (type == EnPassantMove) {
    gain = ExchangeValue[KindPawn];
  } else if (Pos.board[moveTo(m)] != Empty) {
    gain = ExchangeValue[kindOf(Pos.board[moveTo(m)])];
  }
  if (isPromotion(type)) gain += ExchangeValue[PromotedKind[type]] - ExchangeValue[KindPawn];
  return gain;
}

bool exchangeAtLeast(Move m, int threshold) {
  const int type = moveType(m);
  if (type >= BlackCastleKing) return threshold <= 0;
  const int from = moveFrom(m), to = moveTo(m);

  // 1. What the move wins at once must reach the threshold.
  int swap = immediateGain(m) - threshold;
  if (swap < 0) return false;
  // 2. Even losing the moved piece for nothing must keep it.
  const int movedKind = isPromotion(type) ? PromotedKind[type] : kindOf(Pos.board[from]);
  swap = ExchangeValue[movedKind] - swap;
  if (swap <= 0) return true;

  // 3. The replies, least valuable attacker first.
  Bitboard occupancy = Pos.all ^ bitOf(from) ^ bitOf(to);
  if (type == EnPassantMove) occupancy ^= bitOf(to + (Pos.side == White ? 8 : -8));
  Bitboard attackers = attackersTo(to, occupancy) & occupancy;
  const Bitboard queens = Pos.pieces[WhiteQueen] | Pos.pieces[BlackQueen];
  const Bitboard diagonal = Pos.pieces[WhiteBishop] | Pos.pieces[BlackBishop] | queens;
  const Bitboard orthogonal = Pos.pieces[WhiteRook] | Pos.pieces[BlackRook] | queens;
  Side side = Pos.side;
  int result = 1;
  for (;;) {
    side = opposite(side);
    attackers &= occupancy;
    const Bitboard own = attackers & sideOccupancy(side);
    if (!own) break;
    result ^= 1;
    int kind = KindPawn;
    Bitboard pick = 0;
    for (; kind < KindKing; ++kind) {
      pick = own & piecesOf(side, kind);
      if (pick) break;
    }
    if (kind == KindKing) {
      // The king may take only when nothing can take it back.
      return (attackers & sideOccupancy(opposite(side)) & occupancy) ? result ^ 1 : result;
    }
    swap = ExchangeValue[kind] - swap;
    if (swap < result) break;
    occupancy ^= pick & -pick;
    if (kind == KindPawn || kind == KindBishop || kind == KindQueen)
      attackers |= bishopRays(to, occupancy) & diagonal;
    if (kind == KindRook || kind == KindQueen) attackers |= rookRays(to, occupancy) & orthogonal;
  }
  return result != 0;
}
