#include "protocol/thinking_output.h"

#include <cinttypes>
#include <cstdio>

#include "protocol/engine_state.h"
#include "search/search_control.h"

XboardThinkingOutput ThinkingOutput;
bool ThinkingOutputEnabled = true;

namespace {
constexpr int32_t MsPerCentisecond = 10;
}

void XboardThinkingOutput::iterationDone(const IterationReport& report) {
  if (PonderingSearch || !(ThinkingOutputEnabled || EngineState == Analyzing)) return;
  // Depth, score, elapsed centiseconds, nodes and the variation.
  const int32_t centiseconds = report.elapsedMs > 0 ? report.elapsedMs / MsPerCentisecond : 0;
  std::printf("    %d     %d     %" PRId32 "     %" PRIu32 "  %s\n", report.depth, report.score,
              centiseconds, report.nodes, report.variation);
  std::fflush(stdout);
}
