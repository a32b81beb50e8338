// The opening explorer: the moves of the current position that the games of
// the position-statistics databases played, with their statistics.
#pragma once

#include <cstdint>

#include "core/types.h"

class DatabasePair;

struct ExplorerLine {
  Move move;
  uint64_t games;
  double whiteScore;  // White's points per game, 0 to 1
  double drawShare;
  bool inBook;  // a move the book would choose from
};

// Every legal move whose position is in the databases, most games first
// (then in move order); returns their number (at most MaxMovesPerPosition).
int exploreMoves(DatabasePair& pair, ExplorerLine* lines);
// The console command: "white.db" and "black.db", printed as a table.
void runExplorer();
