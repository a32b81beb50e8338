// Hands out the moves of one node in the order the strong search tries
// them: the table move, captures that do not lose material (by victim and
// capture history), the killers and the counter-move, the other quiet moves
// by their histories, then the losing captures. In check every evasion is
// ordered the same way; the capture search sees captures and queen
// promotions only, unless it is in check.
#pragma once

#include "core/move_list.h"
#include "core/ply_state.h"
#include "core/types.h"
#include "strong/history_tables.h"

struct ScoredMove {
  Move move;
  int score;
};

class MovePicker {
 public:
  // Alpha-beta node. `continuations` holds the rows of the moves one, two
  // and four plies back.
  MovePicker(Move tableMove, const Move* killers, Move counter,
             const ContinuationRow* const* continuations, const CheckInfo& check);
  // Capture-search node.
  MovePicker(Move tableMove, const CheckInfo& check);

  // The next move to try, or 0; with `skipQuiets` the quiet moves not yet
  // handed out are left out (the losing captures still come).
  Move next(bool skipQuiets = false);

 private:
  enum Stage {
    TableMove,
    Generate,
    GoodNoisy,
    Quiets,
    BadNoisy,
    EvasionTableMove,
    GenerateEvasions,
    Evasions,
    CaptureTableMove,
    GenerateCaptures,
    Captures,
    Done
  };
  void generateAllMoves();
  void scoreEvasions(int count);
  static ScoredMove* pickBest(ScoredMove* begin, ScoredMove* end);

  Stage stage_;
  Move tableMove_;
  Move killers_[2] = {0, 0};
  Move counter_ = 0;
  const ContinuationRow* const* continuations_ = nullptr;
  const CheckInfo& check_;
  ScoredMove noisy_[MaxMovesPerPosition];
  ScoredMove quiet_[MaxMovesPerPosition];
  ScoredMove* noisyNext_ = noisy_;
  ScoredMove* noisyEnd_ = noisy_;
  ScoredMove* badEnd_ = noisy_;  // losing captures collect at the front
  ScoredMove* badNext_ = noisy_;
  ScoredMove* quietNext_ = quiet_;
  ScoredMove* quietEnd_ = quiet_;
};
