#include "strong/move_picker.h"

#include <algorithm>

#include "core/position.h"
#include "movegen/generators.h"
#include "strong/exchange_threshold.h"
#include "strong/move_rules.h"

namespace {

constexpr int VictimWeight = 16;
constexpr int KillerScore = 1 << 30;
constexpr int UnderPromotionScore = -(1 << 30);
// A capture is tried early when the exchange keeps at least this share of
// its ordering score.
constexpr int GoodCaptureDivisor = 20;

inline int noisyScore(Move m) {
  const int victim = victimKind(m);
  const PieceCode mover = Pos.board[moveFrom(m)];
  const int value = victim == NoVictim ? 0 : ExchangeValue[victim];
  const int promotion = moveType(m) == PromoteQueen || moveType(m) == CapturePromoteQueen
                            ? ExchangeValue[KindQueen]
                            : 0;
  return VictimWeight * (value + promotion) + Histories.capture[mover][moveTo(m)][victim];
}

}  // namespace

MovePicker::MovePicker(Move tableMove, const Move* killers, Move counter,
                       const ContinuationRow* const* continuations, const CheckInfo& check)
    : stage_(check.checkers ? EvasionTableMove : TableMove),
      tableMove_(isPseudoLegalMove(tableMove) ? tableMove : 0),
      counter_(counter),
      continuations_(continuations),
      check_(check) {
  killers_[0] = killers[0];
  killers_[1] = killers[1];
}

MovePicker::MovePicker(Move tableMove, const CheckInfo& check)
    : stage_(check.checkers ? EvasionTableMove : CaptureTableMove), check_(check) {
  tableMove_ =
      isPseudoLegalMove(tableMove) && (check.checkers || isNoisy(tableMove)) ? tableMove : 0;
}

ScoredMove* MovePicker::pickBest(ScoredMove* begin, ScoredMove* end) {
  ScoredMove* best = begin;
  for (ScoredMove* p = begin + 1; p < end; ++p) {
    if (p->score > best->score) best = p;
  }
  std::swap(*begin, *best);
  return begin;
}

void MovePicker::generateAllMoves() {
  MoveEntry list[MaxMovesPerPosition];
  const MoveEntry* end = MoveGenerators[Pos.side].all(list);
  const Side side = Pos.side;
  for (const MoveEntry* e = list; e < end; ++e) {
    const Move m = e->move;
    if (m == tableMove_) continue;
    if (isNoisy(m)) {
      *noisyEnd_++ = {m, noisyScore(m)};
      continue;
    }
    int score;
    if (isUnderPromotion(m)) {
      score = UnderPromotionScore;
    } else if (m == killers_[0]) {
      score = KillerScore;
    } else if (m == killers_[1]) {
      score = KillerScore - 1;
    } else if (m == counter_) {
      score = KillerScore - 2;
    } else {
      const PieceCode piece = Pos.board[moveFrom(m)];
      const int to = moveTo(m);
      score = Histories.quiet[side][fromTo(m)] + (*continuations_[0])[piece][to] +
              (*continuations_[1])[piece][to] + (*continuations_[2])[piece][to] / 2;
    }
    *quietEnd_++ = {m, score};
  }
}

void MovePicker::scoreEvasions(int count) {
  const Side side = Pos.side;
  for (int i = 0; i < count; ++i) {
    const Move m = noisy_[i].move;
    if (isCapture(m)) {
      noisy_[i].score = KillerScore + noisyScore(m);
    } else {
      noisy_[i].score = Histories.quiet[side][fromTo(m)];
      if (continuations_ != nullptr) {
        const PieceCode piece = Pos.board[moveFrom(m)];
        noisy_[i].score += (*continuations_[0])[piece][moveTo(m)];
      }
    }
  }
}

Move MovePicker::next(bool skipQuiets) {
  for (;;) {
    switch (stage_) {
      case TableMove:
      case EvasionTableMove:
      case CaptureTableMove:
        stage_ = static_cast<Stage>(stage_ + 1);
        if (tableMove_ != 0) return tableMove_;
        break;

      case Generate:
        generateAllMoves();
        stage_ = GoodNoisy;
        break;

      case GoodNoisy:
        while (noisyNext_ < noisyEnd_) {
          ScoredMove* pick = pickBest(noisyNext_++, noisyEnd_);
          if (exchangeAtLeast(pick->move, -pick->score / GoodCaptureDivisor)) return pick->move;
          *badEnd_++ = *pick;  // losing: tried after the quiet moves
        }
        stage_ = Quiets;
        break;

      case Quiets:
        if (!skipQuiets && quietNext_ < quietEnd_) return pickBest(quietNext_++, quietEnd_)->move;
        stage_ = BadNoisy;
        break;

      case BadNoisy:
        if (badNext_ < badEnd_) return (badNext_++)->move;
        stage_ = Done;
        break;

      case GenerateEvasions: {
        MoveEntry list[MaxMovesPerPosition];
        const MoveEntry* end = MoveGenerators[Pos.side].evasions(list, check_);
        for (const MoveEntry* e = list; e < end; ++e) {
          if (e->move != tableMove_) *noisyEnd_++ = {e->move, 0};
        }
        scoreEvasions(static_cast<int>(noisyEnd_ - noisy_));
        stage_ = Evasions;
        break;
      }

      case Evasions:
        if (noisyNext_ < noisyEnd_) return pickBest(noisyNext_++, noisyEnd_)->move;
        stage_ = Done;
        break;

      case GenerateCaptures: {
        MoveEntry list[MaxMovesPerPosition];
        const MoveEntry* end = MoveGenerators[Pos.side].captures(list);
        for (const MoveEntry* e = list; e < end; ++e) {
          if (e->move != tableMove_ && !isUnderPromotion(e->move))
            *noisyEnd_++ = {e->move, noisyScore(e->move)};
        }
        stage_ = Captures;
        break;
      }

      case Captures:
        if (noisyNext_ < noisyEnd_) return pickBest(noisyNext_++, noisyEnd_)->move;
        stage_ = Done;
        break;

      case Done:
        return 0;
    }
  }
}
