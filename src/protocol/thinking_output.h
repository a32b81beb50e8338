// The xboard thinking line: one line per completed iteration while "post" is
// on (always in analysis), none while pondering.
#pragma once

#include "search/search_report.h"

class XboardThinkingOutput : public SearchReporter {
 public:
  void iterationDone(const IterationReport& report) override;
};

extern XboardThinkingOutput ThinkingOutput;

// "post" / "nopost"; on at start.
extern bool ThinkingOutputEnabled;
// "option ShowWDL=1": each thinking line ends with the side to move's odds,
// "{W 19.2% D 55.1% L 25.7%}" (off at start).
extern bool ThinkingShowsWdl;
