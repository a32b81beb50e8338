// How a search tells its front end about its progress. The front end (the
// xboard loop, the UCI session) installs one reporter; without one a search
// reports nothing.
#pragma once

#include <cstdint>

// One completed iteration of the root search (or one line of it when several
// lines are searched).
struct IterationReport {
  int depth;
  int score;              // from the side to move's view
  int32_t elapsedMs;      // since SearchStartClock
  uint64_t nodes;         // nodes searched so far
  const char* variation;  // principal variation text, moves separated by blanks
  // What the newer searches know besides; the zero values leave a field out
  // of the output, so a search that does not set them reports as before.
  int selDepth = 0;          // deepest ply reached
  int multiPv = 0;           // the line's rank when several lines are shown
  int hashPermille = -1;     // table use; -1: the default search's table
  bool mateAsMoves = false;  // xboard shows mate scores as 100000 + moves
};

class SearchReporter {
 public:
  virtual ~SearchReporter() = default;
  virtual void iterationDone(const IterationReport& report) = 0;
};

// The reporter the searches use from now on (nullptr: none).
void setSearchReporter(SearchReporter* reporter);
SearchReporter* searchReporter();
