#include "protocol/thinking_output.h"

#include <cinttypes>
#include <cstdio>

#include "core/types.h"
#include "protocol/engine_state.h"
#include "search/search_control.h"
#include "wdl/wdl_model.h"

XboardThinkingOutput ThinkingOutput;
bool ThinkingOutputEnabled = true;
bool ThinkingShowsWdl = false;

namespace {
constexpr int32_t MsPerCentisecond = 10;
// The protocol's way to show a mate: 100000 + moves to mate, negated when
// the side to move is mated.
constexpr int XboardMateScore = 100000;

int displayedScore(const IterationReport& report) {
  const int score = report.score;
  if (!report.mateAsMoves || (score <= MateScoreThreshold && score >= -MateScoreThreshold))
    return score;
  if (score > 0) return XboardMateScore + (MateBase - score + 1) / 2;
  return -(XboardMateScore + (MateBase + score + 1) / 2);
}
}  // namespace

void XboardThinkingOutput::iterationDone(const IterationReport& report) {
  if (PonderingSearch || !(ThinkingOutputEnabled || EngineState == Analyzing)) return;
  // Depth, score, elapsed centiseconds, nodes and the variation.
  const int32_t centiseconds = report.elapsedMs > 0 ? report.elapsedMs / MsPerCentisecond : 0;
  if (ThinkingShowsWdl) {
    // Per mille shown as percent with one decimal.
    const WdlOdds odds = wdlOddsHere(report.score);
    std::printf("    %d     %d     %" PRId32 "     %" PRIu64
                "  %s{W %d.%d%% D %d.%d%% L %d.%d%%}\n",
                report.depth, displayedScore(report), centiseconds, report.nodes, report.variation,
                odds.win / 10, odds.win % 10, odds.draw / 10, odds.draw % 10, odds.loss / 10,
                odds.loss % 10);
  } else {
    std::printf("    %d     %d     %" PRId32 "     %" PRIu64 "  %s\n", report.depth,
                displayedScore(report), centiseconds, report.nodes, report.variation);
  }
  std::fflush(stdout);
}
