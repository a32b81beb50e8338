#include "wdl/wdl_model.h"

#include <algorithm>
#include <cmath>

#include "core/position.h"
#include "wdl/wdl_fit_default.h"
#include "wdl/wdl_fit_strong.h"

const WdlModel DefaultModeWdl = {{DefaultModeWdlA[0], DefaultModeWdlA[1], DefaultModeWdlA[2]},
                                 {DefaultModeWdlB[0], DefaultModeWdlB[1], DefaultModeWdlB[2]},
                                 DefaultModeWdlLevel};
const WdlModel StrongModeWdl = {{StrongModeWdlA[0], StrongModeWdlA[1], StrongModeWdlA[2]},
                                {StrongModeWdlB[0], StrongModeWdlB[1], StrongModeWdlB[2]},
                                StrongModeWdlLevel};

namespace {

// The curves never get steeper than one unit of log-odds per centipawn nor
// sit below 0 (where a draw would have no room left), and the score never
// levels off sooner than this (as in the fit).
constexpr double SmallestSlope = 1.0;
constexpr double SmallestLevel = 50.0;

const WdlModel* InUse = &DefaultModeWdl;

double polynomial(const double* c, double x) { return c[0] + x * (c[1] + x * c[2]); }

double logistic(double t) { return 1.0 / (1.0 + std::exp(-t)); }

}  // namespace

WdlOdds wdlOdds(int score, int material, const WdlModel& model) {
  if (score > MateScoreThreshold) return {WdlPerMille, 0, 0};
  if (score < -MateScoreThreshold) return {0, 0, WdlPerMille};
  const double x = std::clamp(material, 0, WdlFullMaterial) / static_cast<double>(WdlFullMaterial);
  const double a = std::max(0.0, polynomial(model.a, x));
  const double b = std::max(SmallestSlope, polynomial(model.b, x));
  const double level = std::max(SmallestLevel, model.level);
  const double t = level * std::tanh(score / level);
  const int win = static_cast<int>(std::lround(WdlPerMille * logistic((t - a) / b)));
  const int loss = static_cast<int>(std::lround(WdlPerMille * logistic((-t - a) / b)));
  // With a >= 0 the two curves never add up to more than the whole; the
  // rounding can, by one.
  const int lossKept = std::min(loss, WdlPerMille - win);
  return {win, WdlPerMille - win - lossKept, lossKept};
}

WdlOdds wdlOddsHere(int score) { return wdlOdds(score, Pos.totalMaterial, *InUse); }

void setWdlModel(const WdlModel& model) { InUse = &model; }

const WdlModel& wdlModel() { return *InUse; }
