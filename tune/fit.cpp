#include "fit.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/position.h"
#include "strong/strong_eval.h"

namespace {

constexpr double AdamBeta1 = 0.9;
constexpr double AdamBeta2 = 0.999;
constexpr double AdamEpsilon = 1e-8;
constexpr double SafetyMgDivisor = 720.0;
constexpr double SafetyEgDivisor = 20.0;
constexpr int ReportEvery = 50;

struct Coefficient {
  uint16_t index;
  int16_t count;
};

struct Sample {
  float result;     // 1 White won, 0.5 draw, 0 Black won
  float mgShare;    // phase / PhaseMax
  float egShare;    // (1 - phase / PhaseMax) * scale / ScaleNormal
  uint32_t linear;  // first coefficient in Coefficients
  uint16_t linearCount;
  uint16_t safetyCount[2];  // then the safety coefficients of each attacked king
};

std::vector<Coefficient> Coefficients;
std::vector<Sample> Samples;

bool loadFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char line[256];
  EvalTrace trace;
  long skipped = 0;
  while (std::fgets(line, sizeof line, f)) {
    char* semicolon = std::strchr(line, ';');
    if (semicolon == nullptr) continue;
    *semicolon = '\0';
    const char result = semicolon[1];
    if (result != 'W' && result != 'B' && result != 'D') continue;
    if (!readFen(line)) {
      ++skipped;
      continue;
    }
    traceEvaluation(trace);
    if (trace.special) {
      ++skipped;
      continue;
    }
    Sample s;
    s.result = result == 'W' ? 1.0f : result == 'B' ? 0.0f : 0.5f;
    s.mgShare = static_cast<float>(trace.phase) / PhaseMax;
    s.egShare = (1.0f - s.mgShare) * static_cast<float>(trace.scale) / ScaleNormal;
    s.linear = static_cast<uint32_t>(Coefficients.size());
    s.linearCount = 0;
    for (int i = 0; i < Term::Count; ++i) {
      if (trace.linear[i] == 0) continue;
      Coefficients.push_back({static_cast<uint16_t>(i), trace.linear[i]});
      ++s.linearCount;
    }
    for (int side = 0; side < 2; ++side) {
      s.safetyCount[side] = 0;
      for (int i = Term::SafetyFirst; i < Term::Count; ++i) {
        if (trace.safety[side][i] == 0) continue;
        Coefficients.push_back({static_cast<uint16_t>(i), trace.safety[side][i]});
        ++s.safetyCount[side];
      }
    }
    Samples.push_back(s);
  }
  std::fclose(f);
  std::fprintf(stderr, "%s: %zu positions so far (%ld skipped)\n", path.c_str(), Samples.size(),
               skipped);
  return true;
}

// The evaluation of one sample from White's view, as the engine computes it;
// `safety` receives each attacked king's middlegame and endgame sums.
double evaluate(const Sample& s, const WeightTable& w, double safety[2][2]) {
  const Coefficient* c = &Coefficients[s.linear];
  double mg = 0, eg = 0;
  for (int i = 0; i < s.linearCount; ++i, ++c) {
    mg += w[c->index].mg * c->count;
    eg += w[c->index].eg * c->count;
  }
  for (int king = 0; king < 2; ++king) {
    double smg = 0, seg = 0;
    for (int i = 0; i < s.safetyCount[king]; ++i, ++c) {
      smg += w[c->index].mg * c->count;
      seg += w[c->index].eg * c->count;
    }
    safety[king][0] = smg;
    safety[king][1] = seg;
    // The attacker of the Black king (index 0) is White.
    const double sign = king == 0 ? 1.0 : -1.0;
    if (smg > 0) mg += sign * smg * smg / SafetyMgDivisor;
    if (seg > 0) eg += sign * seg / SafetyEgDivisor;
  }
  return mg * s.mgShare + eg * s.egShare;
}

}  // namespace

WeightTable startingWeights() {
  WeightTable w(Term::Count, WeightPair{0, 0});
  const double material[5] = {100, 300, 300, 500, 900};
  for (int k = 0; k < 5; ++k) w[Term::Material + k] = {material[k], material[k]};
  for (int k = 0; k < 4; ++k) w[Term::SafetyAttacker + k] = {10, 10};
  return w;
}

bool fitWeights(const FitSettings& settings, WeightTable& weights) {
  for (const std::string& path : settings.dataFiles) {
    if (!loadFile(path)) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return false;
    }
  }
  const double k = settings.scale * std::log(10.0) / 400.0;
  const double n = static_cast<double>(Samples.size());
  std::vector<WeightPair> gradient(Term::Count), m(Term::Count, {0, 0}), v(Term::Count, {0, 0});
  for (int epoch = 1; epoch <= settings.epochs; ++epoch) {
    std::fill(gradient.begin(), gradient.end(), WeightPair{0, 0});
    double loss = 0;
    for (const Sample& s : Samples) {
      double safety[2][2];
      const double e = evaluate(s, weights, safety);
      const double p = 1.0 / (1.0 + std::exp(-k * e));
      const double error = p - s.result;
      loss += error * error;
      const double g = 2.0 * error * p * (1.0 - p) * k;
      const double gMg = g * s.mgShare, gEg = g * s.egShare;
      const Coefficient* c = &Coefficients[s.linear];
      for (int i = 0; i < s.linearCount; ++i, ++c) {
        gradient[c->index].mg += gMg * c->count;
        gradient[c->index].eg += gEg * c->count;
      }
      for (int king = 0; king < 2; ++king) {
        const double sign = king == 0 ? 1.0 : -1.0;
        const double dMg =
            safety[king][0] > 0 ? gMg * sign * 2.0 * safety[king][0] / SafetyMgDivisor : 0;
        const double dEg = safety[king][1] > 0 ? gEg * sign / SafetyEgDivisor : 0;
        for (int i = 0; i < s.safetyCount[king]; ++i, ++c) {
          gradient[c->index].mg += dMg * c->count;
          gradient[c->index].eg += dEg * c->count;
        }
      }
    }
    // Adam, with the rate halved for the last half and again for the last quarter.
    double rate = settings.learningRate;
    if (epoch > settings.epochs / 2) rate /= 2;
    if (epoch > settings.epochs * 3 / 4) rate /= 2;
    const double c1 = 1.0 - std::pow(AdamBeta1, epoch), c2 = 1.0 - std::pow(AdamBeta2, epoch);
    for (int i = 0; i < Term::Count; ++i) {
      const double gm = gradient[i].mg / n, ge = gradient[i].eg / n;
      m[i].mg = AdamBeta1 * m[i].mg + (1 - AdamBeta1) * gm;
      m[i].eg = AdamBeta1 * m[i].eg + (1 - AdamBeta1) * ge;
      v[i].mg = AdamBeta2 * v[i].mg + (1 - AdamBeta2) * gm * gm;
      v[i].eg = AdamBeta2 * v[i].eg + (1 - AdamBeta2) * ge * ge;
      weights[i].mg -= rate * (m[i].mg / c1) / (std::sqrt(v[i].mg / c2) + AdamEpsilon);
      weights[i].eg -= rate * (m[i].eg / c1) / (std::sqrt(v[i].eg / c2) + AdamEpsilon);
    }
    if (epoch % ReportEvery == 0 || epoch == 1)
      std::fprintf(stderr, "epoch %d: loss %.7f\n", epoch, loss / n);
  }
  return true;
}
