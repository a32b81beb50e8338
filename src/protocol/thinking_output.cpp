#include "protocol/thinking_output.h"

#include <cinttypes>
#include <cstdio>

#include "search/search_control.h"

XboardThinkingOutput ThinkingOutput;

void XboardThinkingOutput::iterationDone(const IterationReport& report) {
  if (PonderingSearch) return;
  // Depth, score, time (always 0), nodes and the variation.
  std::printf("    %d     %d     %d     %" PRIu32 "  %s\n", report.depth, report.score, 0,
              report.nodes, report.variation);
  std::fflush(stdout);
}
