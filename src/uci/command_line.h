// One UCI command line, read whole from the engine input and taken apart
// word by word in place.
#pragma once

#include <cstddef>

// Longest line kept: a game of more than 3,000 plies in one "position" line.
constexpr size_t CommandLineCapacity = 16384;

struct CommandLine {
  char text[CommandLineCapacity];
  size_t length;  // characters of the line, line end removed
  size_t cursor;  // where the next word is looked for
  bool overlong;  // the line did not fit: its end was dropped

  // The next line from the engine input; false at the end of the input.
  bool read();
  // The next word (NUL-terminated in place), or nullptr at the end.
  const char* next();
  // Everything from the cursor on, blanks around it trimmed ("" at the end).
  const char* rest();
  // Back to the first word.
  void rewind() { cursor = 0; }
};
