// Static exchange scoring for move ordering.
//
// The capture sequence on the target square is played out on sets only: the
// board never changes, pieces that have captured stay where they stood for
// the attack lookups, and only the attacker set and the two slider sets
// shrink. A slider hidden behind a capturer joins through an x-ray lookup
// from the capturer's square, restricted to the line through that square and
// the target. The result lands on the generators' score scale, so a winning
// capture sorts with the good captures and an even or losing one below every
// quiet move.
#include "movegen/exchange.h"

#include <algorithm>

#include "core/attacks.h"
#include "core/piece_square.h"
#include "core/position.h"
#include "core/slider_attacks.h"
#include "movegen/move_scores.h"

namespace {

// One entry per capture; no square can see more captures than there are
// pieces on the board, so this never fills.
constexpr int SwapCapacity = 40;

constexpr int16_t PromotionGain = 800;     // a queen in place of the pawn
constexpr int16_t EarlyFinishMargin = 50;  // a side that gains more than this may stop
constexpr int16_t LosingLimit = -50;       // results at or below this count as losing
constexpr int16_t WinningBase = -9500;     // base of winning captures
constexpr int16_t EvenBase = -29985;       // an even exchange
constexpr int16_t LosingBase = -30000;     // base of losing captures

enum class Line { Orthogonal, Diagonal };

// Positional entry of a piece on a square, read at the square number itself
// for both colours.
inline int16_t squareEntry(PieceCode piece, int square) {
  return pieceSquareTable(kindOf(piece), Pos.totalMaterial)[square];
}

// Sliders of `sliders` that become visible from `to` once the piece on `sq`
// has moved: the first piece beyond sq on each line through sq that also
// runs through `to`.
template <Line L>
inline Bitboard xray(int sq, int to, Bitboard sliders) {
  const Bitboard candidates =
      (L == Line::Orthogonal ? RookEmpty[sq] & RookEmpty[to] : BishopEmpty[sq] & BishopEmpty[to]) &
      sliders;
  if (!candidates) return 0;
  return (L == Line::Orthogonal ? rookAttacks(sq) : bishopAttacks(sq)) & candidates;
}

inline PieceCode queenOf(Side side) { return pieceOf(WhiteQueen, side); }

// Results on the generators' scale. A winning capture also earns the
// victim's positional entry on the target square.
inline int16_t evenResult(int16_t positional) {
  return static_cast<int16_t>(positional + EvenBase);
}
inline int16_t winningResult(int16_t positional, PieceCode victim, int to, int16_t won) {
  if (victim != Empty) positional = static_cast<int16_t>(positional + squareEntry(victim, to));
  return static_cast<int16_t>(positional + won + WinningBase);
}
inline int16_t losingResult(int16_t positional, int lost) {
  return static_cast<int16_t>(positional + lost + LosingBase);
}

// Setup 2: every piece of either colour that attacks the target.
[[gnu::always_inline]] inline Bitboard attackersOf(int to, Bitboard orthogonalSliders,
                                                   Bitboard diagonalSliders) {
  const Bitboard kings = bitOf(Pos.king[Black]) | bitOf(Pos.king[White]);
  return (bishopAttacks(to) & diagonalSliders) | (rookAttacks(to) & orthogonalSliders) |
         (KingAttacks[to] & kings) |
         (KnightAttacks[to] & (Pos.pieces[WhiteKnight] | Pos.pieces[BlackKnight])) |
         (WhitePawnAttacks[to] & Pos.pieces[BlackPawn]) |
         (BlackPawnAttacks[to] & Pos.pieces[WhitePawn]);
}

// Setup 3: the search for each side's next capturer starts at its pawns when
// any pawn takes part, otherwise at its knights.
[[gnu::always_inline]] inline void startCapturerSearch(Bitboard attackers, PieceCode next[2]) {
  if (attackers & (Pos.pieces[WhitePawn] | Pos.pieces[BlackPawn])) {
    next[Black] = BlackPawn;
    next[White] = WhitePawn;
  } else {
    next[Black] = BlackKnight;
    next[White] = WhiteKnight;
  }
}

// Setup 4-5: the mover leaves the attackers and may uncover a slider; a pawn
// reaching the last row arrives as a queen and adds the promotion to the
// gain. False when the mover is a king taking a defended piece: a king may
// only take what the other side does not defend.
[[gnu::always_inline]] inline bool moverLeaves(PieceCode& mover, int from, int to, int16_t& gain,
                                               Bitboard& attackers, Bitboard& orthogonalSliders,
                                               Bitboard& diagonalSliders) {
  attackers &= ~bitOf(from);
  switch (mover) {
    case WhitePawn:
    case BlackPawn:
      if (rowOf(to) == (mover == WhitePawn ? 0 : 7)) {
        gain = static_cast<int16_t>(gain + PromotionGain);
        mover = queenOf(ownerOf(mover));
      }
      diagonalSliders &= ~bitOf(from);
      attackers |= xray<Line::Diagonal>(from, to, diagonalSliders);
      return true;
    case WhiteBishop:
    case BlackBishop:
      diagonalSliders &= ~bitOf(from);
      attackers |= xray<Line::Diagonal>(from, to, diagonalSliders);
      return true;
    case WhiteRook:
    case BlackRook:
      orthogonalSliders &= ~bitOf(from);
      attackers |= xray<Line::Orthogonal>(from, to, orthogonalSliders);
      return true;
    case WhiteQueen:
    case BlackQueen: {
      orthogonalSliders &= ~bitOf(from);
      diagonalSliders &= ~bitOf(from);
      const Bitboard found = xray<Line::Orthogonal>(from, to, orthogonalSliders);
      attackers |= found ? found : xray<Line::Diagonal>(from, to, diagonalSliders);
      return true;
    }
    case WhiteKing:
    case BlackKing:
      return !(attackers & occupancyOf(opposite(ownerOf(mover))));
    default:  // knights uncover nothing the exchange can use
      return true;
  }
}

// Exchange step 2: the cheapest capturer of side s, searched from `first`
// up; its king only as the very last one. The capturer leaves the attackers
// and stands in `onSquare`; returns its square, or -1 when s cannot take.
[[gnu::always_inline]] inline int takeCheapestCapturer(Side s, int first, int to,
                                                       Bitboard& attackers, PieceCode& onSquare) {
  for (int c = first; c <= queenOf(s); c += 2) {
    const Bitboard hit = Pos.pieces[c] & attackers;
    if (hit) {
      const int sq = firstSquare(hit);
      attackers &= ~bitOf(sq);
      onSquare = static_cast<PieceCode>(c);
      return sq;
    }
  }
  const int king = Pos.king[s];
  if (!(KingAttacks[to] & bitOf(king))) return -1;
  attackers &= ~bitOf(king);
  if (attackers) return -1;
  onSquare = pieceOf(WhiteKing, s);
  return king;
}

// Exchange step 6: a slider behind the capturer on `sq` joins in.
[[gnu::always_inline]] inline void joinHiddenSlider(PieceCode capturer, int sq, int to,
                                                    Bitboard& attackers,
                                                    Bitboard& orthogonalSliders,
                                                    Bitboard& diagonalSliders, PieceCode next[2]) {
  const int kind = kindOf(capturer);
  if (kind == KindPawn || kind == KindBishop) {
    const Bitboard found = xray<Line::Diagonal>(sq, to, diagonalSliders);
    diagonalSliders &= ~found;
    attackers |= found;
  } else if (kind == KindRook) {
    const Bitboard found = xray<Line::Orthogonal>(sq, to, orthogonalSliders);
    orthogonalSliders &= ~found;
    attackers |= found;
  } else if (kind == KindQueen) {
    // The uncovered piece may be cheaper than the side's last capturer, so
    // its search restarts low enough to find it.
    Bitboard found = xray<Line::Orthogonal>(sq, to, orthogonalSliders);
    if (found) {
      orthogonalSliders &= ~found;
      next[Black] = std::min<PieceCode>(next[Black], BlackRook);
      next[White] = std::min<PieceCode>(next[White], WhiteRook);
    } else {
      found = xray<Line::Diagonal>(sq, to, diagonalSliders);
      if (found) {
        diagonalSliders &= ~found;
        next[Black] = std::min<PieceCode>(next[Black], BlackBishop);
        next[White] = std::min<PieceCode>(next[White], WhiteBishop);
      }
    }
    attackers |= found;
  }
}

// Minimax back to the first capture: each side may decline to recapture.
// Returns what the first capture wins.
[[gnu::always_inline]] inline int16_t minimaxBack(int16_t* swap, int n) {
  for (int k = n - 1; k >= 1; --k)
    swap[k - 1] = std::min<int16_t>(swap[k - 1], static_cast<int16_t>(-swap[k]));
  return swap[0];
}

}  // namespace

int16_t exchangeScore(PieceCode mover, int from, int to, Bitboard orthogonalSliders,
                      Bitboard diagonalSliders) {
  const Side us = Pos.side;
  const Side them = opposite(us);
  const PieceCode victim = Pos.board[to];

  // Setup 1. Victim value and the mover leaving its square.
  int16_t gain = PieceValue[victim];
  int16_t positional = static_cast<int16_t>(-squareEntry(mover, from));

  // Setup 2. Every piece of either colour that attacks the target.
  Bitboard attackers = attackersOf(to, orthogonalSliders, diagonalSliders);

  // Setup 3. Where each side's search for its next capturer starts.
  PieceCode next[2];
  startCapturerSearch(attackers, next);

  // Setup 4-5. The mover leaves the attackers and may uncover a slider.
  if (!moverLeaves(mover, from, to, gain, attackers, orthogonalSliders, diagonalSliders))
    return MoveScore::DroppedKingCapture;

  // Setup 6. The (possibly promoted) mover arrives.
  positional = static_cast<int16_t>(positional + squareEntry(mover, to));

  // Setup 7. Nothing of the other side can take back.
  if (!(attackers & occupancyOf(them)))
    return gain == 0 ? evenResult(positional) : winningResult(positional, victim, to, gain);

  // The exchange, least valuable capturer first, sides alternating.
  int16_t swap[SwapCapacity];
  swap[0] = gain;
  int n = 1;
  Side s = them;
  PieceCode onSquare = mover;
  for (;;) {
    // 1. What stands on the target is what gets taken.
    const PieceCode captured = onSquare;

    // 2. The cheapest capturer of side s; its king only as the very last one.
    const int sq = takeCheapestCapturer(s, next[s], to, attackers, onSquare);
    if (sq < 0) break;

    // 3. Later capturers of s cost at least as much as this one.
    next[s] = onSquare;

    // 4. What s has won if the sequence stopped here.
    swap[n] = static_cast<int16_t>(PieceValue[captured] - swap[n - 1]);

    // 5. Early finish: s is ahead by more than the margin even if it loses
    //    its capturer.
    if (swap[n] - PieceValue[onSquare] > EarlyFinishMargin) {
      if (s != us) return losingResult(positional, PieceValue[onSquare] / 2 - swap[n]);
      if (swap[0] == 0) return evenResult(positional);
      return winningResult(positional, victim, to, swap[n - 2]);
    }

    // 6. A slider behind the capturer joins in.
    joinHiddenSlider(onSquare, sq, to, attackers, orthogonalSliders, diagonalSliders, next);

    // 7. The other side's turn, if it has anything left.
    ++n;
    s = opposite(s);
    if (!attackers || !(attackers & occupancyOf(s)) || n >= SwapCapacity) break;
  }

  // Minimax back to the first capture: each side may decline to recapture.
  const int16_t result = minimaxBack(swap, n);
  if (result <= LosingLimit) return losingResult(positional, result);
  if (result == 0) return evenResult(positional);
  return winningResult(positional, victim, to, result);
}
