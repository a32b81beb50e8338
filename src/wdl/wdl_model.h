// Win, draw and loss odds of the side to move from a search score and the
// material on the board. A logistic curve gives the odds of a win from the
// score, the mirrored one the odds of a loss, and the draw takes the rest;
// where the curves sit (a) and how steep they are (b) depends on the
// material, and the score levels off at a size c (t = c tanh(s / c)): in
// real games a big score is no certain win. The constants are fitted to the
// outcomes of real games by scripts/fit-wdl.py, one set per search mode (its
// score scale).
#pragma once

#include "core/types.h"

// All men at the start, counted pawn 1, knight and bishop 3, rook 5, queen 9.
constexpr int WdlFullMaterial = 78;
constexpr int WdlPerMille = 1000;

// a(x) = a[0] + a[1] x + a[2] x^2 and b(x) likewise, x = material / 78;
// the score levels off at `level` centipawns.
struct WdlModel {
  double a[3];
  double b[3];
  double level;
};

// The default search's and the strong search's models, each fitted to its
// own scores.
extern const WdlModel DefaultModeWdl;
extern const WdlModel StrongModeWdl;

// Per mille, summing to 1000.
struct WdlOdds {
  int win;
  int draw;
  int loss;
};

// The odds for `score` (centipawns, the side to move's view; mate scores
// give 1000 or 0) with `material` on the board.
WdlOdds wdlOdds(int score, int material, const WdlModel& model);
// The same for the current position with the model in use.
WdlOdds wdlOddsHere(int score);
// The model the front ends show odds with: the default search's until a
// mode sets its own.
void setWdlModel(const WdlModel& model);
const WdlModel& wdlModel();
