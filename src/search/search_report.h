// How a search tells its front end about its progress. The front end (the
// xboard loop, the UCI session) installs one reporter; without one a search
// reports nothing.
#pragma once

#include <cstdint>

// One completed iteration of the root search.
struct IterationReport {
  int depth;
  int score;              // from the side to move's view
  int32_t elapsedMs;      // since SearchStartClock
  uint32_t nodes;         // NodeCount
  const char* variation;  // principal variation text, moves separated by blanks
};

class SearchReporter {
 public:
  virtual ~SearchReporter() = default;
  virtual void iterationDone(const IterationReport& report) = 0;
};

// The reporter the searches use from now on (nullptr: none).
void setSearchReporter(SearchReporter* reporter);
SearchReporter* searchReporter();
