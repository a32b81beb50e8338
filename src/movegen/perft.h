// Move-path counting ("perft") over the search's ply stack.
#pragma once

#include <cstdint>

// Every move made during one "perft" command, legal or not; wraps at 32 bits.
extern uint32_t MoveCounter;

// The "perft" command: one line per depth 1..depth (clamped at 127).
void runPerft(int depth);
// Legal nodes of depths 1..depth below the position of the current record.
uint64_t perft(int depth);
// perft(depth) of the current position, run from the bottom of the ply stack
// as the command runs it; 0 for a depth of 0 or less.
uint64_t perftFromRoot(int depth);
