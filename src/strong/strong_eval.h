// The strong mode's evaluation: middlegame and endgame scores blended by the
// material left, from weights the tuner fitted to game results.
#pragma once

#include <cstdint>

#include "strong/eval_layout.h"
#include "strong/score_pair.h"

// The fitted weights (eval_weights.cpp, written by the tuner).
extern const Score TunedWeights[Term::Count];
// The weights the evaluation reads from now on (nullptr: the fitted ones).
void useEvalWeights(const Score* weights);

// Centipawns from the side to move's view.
int strongEvaluate();
void clearStrongPawnTable();

// The evaluation taken apart for the tuner: how often each weight counts
// for White minus for Black, the king-safety sums per attacked king, the
// phase and the endgame scale.
struct EvalTrace {
  int16_t linear[Term::Count];
  int16_t safety[2][Term::Count];  // [side whose king is attacked], the attacker's counts
  int phase;                       // 0 (bare kings and pawns) .. PhaseMax
  int scale;                       // endgame scale in 128ths
  bool special;                    // a known ending scored outside the weights
};
constexpr int PhaseMax = 24;
constexpr int ScaleNormal = 128;
// As strongEvaluate, filling `trace` (zeroed first).
int traceEvaluation(EvalTrace& trace);
