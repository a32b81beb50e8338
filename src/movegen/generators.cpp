// Pseudo-legal move generators with ordering scores.
//
// Each generator is written once for both colours; the constants at the top of
// each body carry everything that differs between White and Black. The order
// in which moves are written is part of the contract: the search tries equal
// scores in list order and the book choice walks the list, so every set is
// walked with firstSquare (highest-numbered square first) and the steps below
// must keep their order.
#include "movegen/generators.h"

#include "core/attacks.h"
#include "core/piece_square.h"
#include "core/position.h"
#include "core/side_traits.h"
#include "core/slider_attacks.h"
#include "movegen/exchange.h"

namespace {

constexpr Bitboard rankBits(int rank) { return Bitboard{0xFF} << (8 * (rank - 1)); }
constexpr Bitboard FileA = 0x8080808080808080ULL;
constexpr Bitboard FileH = 0x0101010101010101ULL;

constexpr Bitboard squareBits(int a, int b, int c = -1) {
  return bitOf(a) | bitOf(b) | (c < 0 ? 0 : bitOf(c));
}

// Every square s of the set moved to s + Delta; squares pushed off the top or
// bottom edge are lost (the callers strip the edge files that would wrap).
template <int Delta>
constexpr Bitboard shifted(Bitboard b) {
  if constexpr (Delta < 0)
    return b << -Delta;
  else
    return b >> Delta;
}

// Captures of a victim worth at least this much are good on their face and
// scored by victim value minus the capturer's offset; cheaper victims go to
// the exchange evaluator. Indexed by piece kind.
constexpr int16_t PlainVictimValue[6] = {0, 270, 275, 450, 900, 1950};
constexpr int16_t CaptureOffset[6] = {
    MoveScore::PawnCaptureOffset, MoveScore::KnightCaptureOffset, MoveScore::BishopCaptureOffset,
    MoveScore::RookCaptureOffset, MoveScore::QueenCaptureOffset,  MoveScore::KingCaptureOffset};
// Interpositions against a sliding check, by piece kind (pawns push at the
// quiet score).
constexpr int16_t BlockScore[6] = {MoveScore::Quiet,       MoveScore::KnightBlock,
                                   MoveScore::BishopBlock, MoveScore::RookBlock,
                                   MoveScore::QueenBlock,  MoveScore::Quiet};

// Rooks and queens of both colours, bishops and queens of both colours: what
// the exchange evaluator needs for its x-rays. Formed once per generator call.
struct Sliders {
  Bitboard orthogonal;
  Bitboard diagonal;
};

inline Sliders currentSliders() {
  const Bitboard queens = Pos.pieces[WhiteQueen] | Pos.pieces[BlackQueen];
  return {Pos.pieces[WhiteRook] | Pos.pieces[BlackRook] | queens,
          Pos.pieces[WhiteBishop] | Pos.pieces[BlackBishop] | queens};
}

inline MoveEntry* put(MoveEntry* end, int from, int to, int type, int score) {
  end->score = static_cast<int16_t>(score);
  end->move = makeMoveValue(from, to, type);
  return end + 1;
}

inline MoveEntry* putFixed(MoveEntry* end, Move m, int16_t score) {
  end->score = score;
  end->move = m;
  return end + 1;
}

// The four promotions of one pawn move, always queen, knight, rook, bishop.
// firstType is the queen's type: plain push or capture.
inline MoveEntry* putPromotions(MoveEntry* end, int from, int to, int firstType, int victim) {
  end = put(end, from, to, firstType, victim + MoveScore::PromoteQueen);
  end = put(end, from, to, firstType + 1, victim + MoveScore::PromoteKnight);
  end = put(end, from, to, firstType + 2, victim + MoveScore::PromoteRook);
  return put(end, from, to, firstType + 3, victim + MoveScore::PromoteBishop);
}

template <PieceKind K>
inline Bitboard attacksFrom(int s) {
  if constexpr (K == KindKnight)
    return KnightAttacks[s];
  else if constexpr (K == KindBishop)
    return bishopAttacks(s);
  else if constexpr (K == KindRook)
    return rookAttacks(s);
  else if constexpr (K == KindQueen)
    return queenAttacks(s);
  else
    return KingAttacks[s];
}

// Ordering score of a capture by a piece of kind K.
template <PieceKind K>
inline int16_t captureScore(PieceCode mover, int from, int to, const Sliders& sliders) {
  const int16_t victim = PieceValue[Pos.board[to]];
  if (victim >= PlainVictimValue[K]) return static_cast<int16_t>(victim + CaptureOffset[K]);
  return exchangeScore(mover, from, to, sliders.orthogonal, sliders.diagonal);
}

// Pawn captures in one direction (Delta = destination - origin), en passant
// first. The e.p. square is tested against the shifted pawns before they are
// cut down to enemy-occupied squares, since the e.p. square itself is empty.
template <Side S, int Delta>
MoveEntry* pawnCaptures(MoveEntry* end, Bitboard pawnsOffEdge) {
  constexpr Bitboard PromotionRank = rankBits(SideTraits<S>::LastRank);
  Bitboard targets = shifted<Delta>(pawnsOffEdge);
  if (!targets) return end;
  const int ep = Pos.enPassant;
  if (ep && (targets & bitOf(ep)))
    end = put(end, ep - Delta, ep, EnPassantMove, MoveScore::EnPassant);
  targets &= occupancyOf(opposite(S));
  for (Bitboard t = targets & PromotionRank; t; t &= t - 1) {
    const int to = firstSquare(t);
    end = putPromotions(end, to - Delta, to, CapturePromoteQueen, PieceValue[Pos.board[to]]);
  }
  for (Bitboard t = targets & ~PromotionRank; t; t &= t - 1) {
    const int to = firstSquare(t);
    end = put(end, to - Delta, to, CaptureMove,
              PieceValue[Pos.board[to]] + MoveScore::PawnCaptureOffset);
  }
  return end;
}

// Every move of each piece of kind K: its captures, then its quiet moves.
template <PieceKind K>
MoveEntry* pieceMoves(MoveEntry* end, PieceCode piece, Bitboard own, Bitboard enemy,
                      const Sliders& sliders) {
  for (Bitboard pieces = Pos.pieces[piece]; pieces; pieces &= pieces - 1) {
    const int from = firstSquare(pieces);
    const Bitboard reach = attacksFrom<K>(from) & ~own;
    for (Bitboard t = reach & enemy; t; t &= t - 1) {
      const int to = firstSquare(t);
      end = put(end, from, to, CaptureMove, captureScore<K>(piece, from, to, sliders));
    }
    for (Bitboard t = reach & ~enemy; t; t &= t - 1)
      end = put(end, from, firstSquare(t), QuietMove, MoveScore::Quiet);
  }
  return end;
}

// Captures only, each kept when its score reaches the capture filter.
template <PieceKind K>
MoveEntry* pieceCaptures(MoveEntry* end, PieceCode piece, Bitboard fromSet, Bitboard enemy,
                         const Sliders& sliders) {
  for (Bitboard pieces = fromSet; pieces; pieces &= pieces - 1) {
    const int from = firstSquare(pieces);
    for (Bitboard t = attacksFrom<K>(from) & enemy; t; t &= t - 1) {
      const int to = firstSquare(t);
      const int16_t score = captureScore<K>(piece, from, to, sliders);
      if (score >= MoveScore::CaptureFilter) end = put(end, from, to, CaptureMove, score);
    }
  }
  return end;
}

// King steps that never touch the enemy king: captures (a defended victim is
// dropped), then quiet moves without any attack test.
template <Side S>
MoveEntry* kingMoves(MoveEntry* end, Bitboard reach, Bitboard enemy, const Sliders& sliders) {
  constexpr PieceCode King = SideTraits<S>::King;
  const int from = Pos.king[S];
  for (Bitboard t = reach & enemy; t; t &= t - 1) {
    const int to = firstSquare(t);
    const int16_t score = captureScore<KindKing>(King, from, to, sliders);
    if (score != MoveScore::DroppedKingCapture) end = put(end, from, to, CaptureMove, score);
  }
  for (Bitboard t = reach & ~enemy; t; t &= t - 1)
    end = put(end, from, firstSquare(t), QuietMove, MoveScore::Quiet);
  return end;
}

// Evasions by a piece of kind K: capture the checker on c with every such
// piece that reaches it (prefiltered by the empty-board set), then step into
// the block squares.
template <PieceKind K>
MoveEntry* pieceEvasions(MoveEntry* end, Bitboard pieces, Bitboard emptyBoardReach, int c,
                         int16_t victim, Bitboard block) {
  if (emptyBoardReach & pieces)
    for (Bitboard p = attacksFrom<K>(c) & pieces; p; p &= p - 1)
      end = put(end, firstSquare(p), c, CaptureMove, victim + CaptureOffset[K]);
  if (block)
    for (Bitboard p = pieces; p; p &= p - 1) {
      const int from = firstSquare(p);
      for (Bitboard t = attacksFrom<K>(from) & block; t; t &= t - 1)
        end = put(end, from, firstSquare(t), QuietMove, BlockScore[K]);
    }
  return end;
}

}  // namespace

template <Side S>
MoveEntry* generateAll(MoveEntry* end) {
  using T = SideTraits<S>;
  constexpr Side Them = T::Them;
  constexpr int Up = T::Forward;  // destination - origin of a push
  constexpr int UpTowardA = T::ForwardTowardA;
  constexpr int UpTowardH = T::ForwardTowardH;
  constexpr Bitboard PromotionRank = rankBits(SideTraits<S>::LastRank);
  constexpr Bitboard FirstPushRank = rankBits(T::ThirdRank);  // may step once more
  constexpr PieceCode Pawn = T::Pawn;
  constexpr PieceCode Knight = T::Knight;
  constexpr PieceCode Bishop = T::Bishop;
  constexpr PieceCode Rook = T::Rook;
  constexpr PieceCode Queen = T::Queen;
  constexpr uint16_t KingSideRight = T::KingSide;
  constexpr uint16_t QueenSideRight = T::QueenSide;
  constexpr Move KingSideCastle = T::KingSideCastle;
  constexpr Move QueenSideCastle = T::QueenSideCastle;
  constexpr Bitboard KingSidePath = squareBits(T::KingSideRookTo, T::KingSideKing);
  constexpr Bitboard QueenSidePath =
      squareBits(T::QueenSideRookFrom + 1, T::QueenSideKing, T::QueenSideRookTo);

  const Bitboard own = occupancyOf(S);
  const Bitboard enemy = occupancyOf(Them);
  const Bitboard empty = ~Pos.all;
  const Bitboard pawns = Pos.pieces[Pawn];
  const Sliders sliders = currentSliders();

  // 1-2. Pawn captures towards the a-file, then towards the h-file.
  end = pawnCaptures<S, UpTowardA>(end, pawns & ~FileA);
  end = pawnCaptures<S, UpTowardH>(end, pawns & ~FileH);

  // 3-6. Knights, queens, rooks, bishops.
  end = pieceMoves<KindKnight>(end, Knight, own, enemy, sliders);
  end = pieceMoves<KindQueen>(end, Queen, own, enemy, sliders);
  end = pieceMoves<KindRook>(end, Rook, own, enemy, sliders);
  end = pieceMoves<KindBishop>(end, Bishop, own, enemy, sliders);

  // 7. Pawn pushes: promotions, double pushes, single pushes.
  const Bitboard pushes = shifted<Up>(pawns) & empty;
  if (pushes) {
    for (Bitboard t = pushes & PromotionRank; t; t &= t - 1) {
      const int to = firstSquare(t);
      end = putPromotions(end, to - Up, to, PromoteQueen, 0);
    }
    for (Bitboard t = shifted<Up>(pushes & FirstPushRank) & empty; t; t &= t - 1) {
      const int to = firstSquare(t);
      end = put(end, to - 2 * Up, to, QuietMove, MoveScore::Quiet);
    }
    for (Bitboard t = pushes & ~PromotionRank; t; t &= t - 1) {
      const int to = firstSquare(t);
      end = put(end, to - Up, to, QuietMove, MoveScore::Quiet);
    }
  }

  // 8. King.
  end = kingMoves<S>(end, KingAttacks[Pos.king[S]] & ~KingAttacks[Pos.king[Them]] & ~own, enemy,
                     sliders);

  // 9. Castling: only rights and empty squares here; attacks on the king's
  //    path are left to the legality test after the move.
  if (Pos.castling) {
    if ((Pos.castling & KingSideRight) && !(Pos.all & KingSidePath))
      end = putFixed(end, KingSideCastle, MoveScore::CastleKingSide);
    if ((Pos.castling & QueenSideRight) && !(Pos.all & QueenSidePath))
      end = putFixed(end, QueenSideCastle, MoveScore::CastleQueenSide);
  }
  return end;
}

template <Side S>
MoveEntry* generateCaptures(MoveEntry* end) {
  using T = SideTraits<S>;
  constexpr Side Them = T::Them;
  constexpr int Up = T::Forward;
  constexpr int UpTowardA = T::ForwardTowardA;
  constexpr int UpTowardH = T::ForwardTowardH;
  constexpr Bitboard PromotingRank = rankBits(T::SeventhRank);  // pawns one step from promotion
  constexpr PieceCode Pawn = T::Pawn;
  constexpr PieceCode Knight = T::Knight;
  constexpr PieceCode Bishop = T::Bishop;
  constexpr PieceCode Rook = T::Rook;
  constexpr PieceCode Queen = T::Queen;

  const Bitboard enemy = occupancyOf(Them);
  const Bitboard pawns = Pos.pieces[Pawn];
  const Sliders sliders = currentSliders();

  // 1. Pawn captures, unfiltered.
  end = pawnCaptures<S, UpTowardA>(end, pawns & ~FileA);
  end = pawnCaptures<S, UpTowardH>(end, pawns & ~FileH);

  // 2. Queen push promotions that the exchange evaluator does not reject.
  for (Bitboard t = shifted<Up>(pawns & PromotingRank) & ~Pos.all; t; t &= t - 1) {
    const int to = firstSquare(t);
    const int16_t score = exchangeScore(Pawn, to - Up, to, sliders.orthogonal, sliders.diagonal);
    if (score >= MoveScore::CaptureFilter) end = put(end, to - Up, to, PromoteQueen, score);
  }

  // 3. Knight, bishop, rook and queen captures.
  end = pieceCaptures<KindKnight>(end, Knight, Pos.pieces[Knight], enemy, sliders);
  end = pieceCaptures<KindBishop>(end, Bishop, Pos.pieces[Bishop], enemy, sliders);
  end = pieceCaptures<KindRook>(end, Rook, Pos.pieces[Rook], enemy, sliders);
  end = pieceCaptures<KindQueen>(end, Queen, Pos.pieces[Queen], enemy, sliders);

  // 4. King captures. The enemy king's neighbourhood is not cut out here: a
  //    victim next to it is defended, so the filter drops the capture.
  return pieceCaptures<KindKing>(end, T::King, bitOf(Pos.king[S]), enemy, sliders);
}

template <Side S>
MoveEntry* generateEvasions(MoveEntry* end, const CheckInfo& info) {
  using T = SideTraits<S>;
  constexpr Side Them = T::Them;
  constexpr int Up = T::Forward;
  constexpr int FromLeft =
      -T::ForwardTowardH;  // origin - destination, pawn on the file to the left
  constexpr int FromRight = -T::ForwardTowardA;                // pawn on the file to the right
  constexpr int EpLeftAbove = squareOf(0, T::EnPassantRank);   // e.p. squares beyond the a-file
  constexpr int EpRightBelow = squareOf(7, T::EnPassantRank);  // e.p. squares before the h-file
  constexpr Bitboard PromotionRank = rankBits(SideTraits<S>::LastRank);
  constexpr Bitboard FirstPushRank = rankBits(T::ThirdRank);
  constexpr PieceCode Pawn = T::Pawn;
  constexpr PieceCode Knight = T::Knight;
  constexpr PieceCode Bishop = T::Bishop;
  constexpr PieceCode Rook = T::Rook;
  constexpr PieceCode Queen = T::Queen;
  const Bitboard* PawnSources = T::PawnSources;  // where own pawns hit s from

  const Bitboard own = occupancyOf(S);
  const Bitboard enemy = occupancyOf(Them);
  const int king = Pos.king[S];
  const Sliders sliders = currentSliders();
  Bitboard block = 0;

  // 1. In double check only the king can move.
  if (!(info.checkers & (info.checkers - 1))) {
    // 2. The squares between king and a distant sliding checker.
    const int c = firstSquare(info.checkers);
    const PieceCode checker = Pos.board[c];
    const int16_t victim = PieceValue[checker];
    if (checker >= WhiteBishop && !(KingAttacks[king] & bitOf(c)))
      block = info.orthogonalRays ? rookAttacks(c) & info.orthogonalRays
                                  : bishopAttacks(c) & info.diagonalRays;

    // 3. En passant takes a checking pawn that has just made its double step.
    //    The edge tests come first so no board index leaves the board.
    const int ep = Pos.enPassant;
    if (ep && c == ep - Up) {
      if (ep > EpLeftAbove && Pos.board[ep + FromLeft] == Pawn)
        end = put(end, ep + FromLeft, ep, EnPassantMove, MoveScore::EnPassant);
      if (ep < EpRightBelow && Pos.board[ep + FromRight] == Pawn)
        end = put(end, ep + FromRight, ep, EnPassantMove, MoveScore::EnPassant);
    }

    // 4. Pawn captures of the checker, promoting on the last rank.
    if (PawnSources[c] & Pos.pieces[Pawn]) {
      const bool promotes = (PromotionRank & bitOf(c)) != 0;
      const int origins[2] = {fileOf(c) != 0 ? c + FromLeft : -1,
                              fileOf(c) != 7 ? c + FromRight : -1};
      for (const int from : origins) {
        if (from < 0 || Pos.board[from] != Pawn) continue;
        if (promotes)
          end = putPromotions(end, from, c, CapturePromoteQueen, victim);
        else
          end = put(end, from, c, CaptureMove, victim + MoveScore::PawnCaptureOffset);
      }
    }

    // 5-7. Pieces capture the checker or interpose.
    end = pieceEvasions<KindKnight>(end, Pos.pieces[Knight], KnightAttacks[c], c, victim, block);
    end = pieceEvasions<KindBishop>(end, Pos.pieces[Bishop], BishopEmpty[c], c, victim, block);
    end = pieceEvasions<KindRook>(end, Pos.pieces[Rook], RookEmpty[c], c, victim, block);
    end = pieceEvasions<KindQueen>(end, Pos.pieces[Queen], QueenEmpty[c], c, victim, block);

    //    Pawn interpositions: double pushes, promotions, single pushes.
    if (block) {
      const Bitboard pushes = shifted<Up>(Pos.pieces[Pawn]) & ~Pos.all;
      for (Bitboard t = shifted<Up>(pushes & FirstPushRank) & ~Pos.all & block; t; t &= t - 1) {
        const int to = firstSquare(t);
        end = put(end, to - 2 * Up, to, QuietMove, MoveScore::Quiet);
      }
      for (Bitboard t = pushes & block & PromotionRank; t; t &= t - 1) {
        const int to = firstSquare(t);
        end = putPromotions(end, to - Up, to, PromoteQueen, 0);
      }
      for (Bitboard t = pushes & block & ~PromotionRank; t; t &= t - 1) {
        const int to = firstSquare(t);
        end = put(end, to - Up, to, QuietMove, MoveScore::Quiet);
      }
    }
  }

  // 8. King steps off the block squares; squares behind the king on the
  //    checking line are left to the legality test.
  return kingMoves<S>(end, KingAttacks[king] & ~KingAttacks[Pos.king[Them]] & ~own & ~block, enemy,
                      sliders);
}

template MoveEntry* generateAll<White>(MoveEntry*);
template MoveEntry* generateAll<Black>(MoveEntry*);
template MoveEntry* generateCaptures<White>(MoveEntry*);
template MoveEntry* generateCaptures<Black>(MoveEntry*);
template MoveEntry* generateEvasions<White>(MoveEntry*, const CheckInfo&);
template MoveEntry* generateEvasions<Black>(MoveEntry*, const CheckInfo&);

const GeneratorSet MoveGenerators[2] = {
    {generateAll<Black>, generateCaptures<Black>, generateEvasions<Black>},
    {generateAll<White>, generateCaptures<White>, generateEvasions<White>},
};
