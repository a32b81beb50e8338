// The setting is read off a table of anchor points, interpolated between
// them: nodes a move (geometrically), lines looked at and the noise's
// temperature in centipawns (linearly).
#include "strength/strength_limit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "core/clock.h"
#include "core/move_text.h"
#include "core/position.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "strong/strong_limits.h"
#include "strong/strong_search.h"

namespace {

struct Anchor {
  int elo;
  double nodes;
  int lines;
  double temperature;
};
constexpr Anchor Anchors[] = {
    {1350, 2800, 4, 60},
    // 1550 lies on the first scale's line from 1350 to 6,500 nodes and T 40
    // at 1700, on which 1400 and 1550 were measured.
    {1550, 4530.6558508385815, 4, 340.0 / 7},
    {1700, 12000, 4, 40},
    // 1850 was measured midway between 1700 and 55,000 nodes and T 20 at 2000.
    {1850, 25690.5, 4, 30},
    {2000, 90000, 4, 18},
    {2300, 1000000, 1, 1},  // the strong mode itself
};
constexpr int MaxLines = 8;
constexpr int ReportedMateBase = MateBase;

bool Limited = false;
int Elo = DefaultLimitedElo;
uint64_t RandomState = 0;

struct Setting {
  uint32_t nodes;
  int lines;
  double temperature;
};

Setting settingFor(int elo) {
  const Anchor* high = Anchors + 1;
  while (high < std::end(Anchors) - 1 && high->elo < elo) ++high;
  const Anchor* low = high - 1;
  const double t =
      std::clamp(static_cast<double>(elo - low->elo) / (high->elo - low->elo), 0.0, 1.0);
  return {static_cast<uint32_t>(low->nodes * std::pow(high->nodes / low->nodes, t)),
          static_cast<int>(std::lround(low->lines + (high->lines - low->lines) * t)),
          low->temperature + (high->temperature - low->temperature) * t};
}

// A number in (0, 1) from a xorshift generator seeded by the clock.
double uniform() {
  if (RandomState == 0) RandomState = 0x9E3779B97F4A7C15ULL ^ static_cast<uint64_t>(clockMs());
  RandomState ^= RandomState << 13;
  RandomState ^= RandomState >> 7;
  RandomState ^= RandomState << 17;
  return (static_cast<double>(RandomState >> 11) + 0.5) / 9007199254740992.0;
}

int reportedScore(int score) {
  if (score >= MateInMaxPly) return ReportedMateBase - (MateValue - score);
  if (score <= -MateInMaxPly) return -(ReportedMateBase - (MateValue + score));
  return score;
}

}  // namespace

void setStrengthLimit(bool limited, int elo) {
  if (limited) initStrongSearch();
  Limited = limited;
  Elo = std::clamp(elo, MinLimitedElo, MaxLimitedElo);
}

bool strengthLimited() { return Limited; }
int limitedElo() { return Elo; }

Move limitedStrengthSearch() {
  const Setting setting = settingFor(Elo);
  // 1. The search, quietly, with the setting's lines and nodes (a smaller
  //    limit of the interface's own stays).
  SearchReporter* const reporter = searchReporter();
  const int lines = MultiPvLines;
  const uint32_t nodeLimit = NodeLimit;
  setSearchReporter(nullptr);
  MultiPvLines = std::max(setting.lines, 1);
  NodeLimit = nodeLimit != 0 ? std::min(nodeLimit, setting.nodes) : setting.nodes;
  const Move searched = strongIterativeDeepening();
  setSearchReporter(reporter);
  MultiPvLines = lines;
  NodeLimit = nodeLimit;
  if (!isRealMove(searched)) return searched;

  // 2. One of the lines, by a draw weighted with exp(score / temperature);
  //    a mate found is never let go.
  StrongLine found[MaxLines];
  const int count = strongLines(found, MaxLines);
  int chosen = 0;
  if (count > 1 && !isMateValue(found[0].score)) {
    double weights[MaxLines], total = 0;
    for (int i = 0; i < count; ++i) {
      weights[i] = isMateValue(found[i].score)
                       ? 0
                       : std::exp((found[i].score - found[0].score) / setting.temperature);
      total += weights[i];
    }
    double pick = uniform() * total;
    for (chosen = 0; chosen < count - 1 && pick >= weights[chosen]; ++chosen)
      pick -= weights[chosen];
  }
  const StrongLine& line = found[chosen];

  // 3. The chosen move is the answer and the one line reported.
  SearchBestMove = line.move;
  SearchBestScore = static_cast<int16_t>(reportedScore(line.score));
  if (reporter != nullptr) {
    char text[StrongMaxPly * 6 + 1];
    char* out = text;
    *out = '\0';
    for (int p = 0; p < line.variationLength; ++p) {
      if (p > 0) *out++ = ' ';
      out = moveToText(out, line.variation[p]);
    }
    IterationReport report{strongCompletedDepth(), SearchBestScore,
                           static_cast<int32_t>(clockMs() - SearchStartClock), strongNodeCount(),
                           text};
    report.mateAsMoves = true;
    reporter->iterationDone(report);
  }
  return SearchBestMove;
}
