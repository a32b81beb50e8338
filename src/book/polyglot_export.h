// Writing what the position-statistics databases learned as a .bin book.
#pragma once

#include <cstdint>

class DatabasePair;

// A move enters the exported book when at least this many games reached the
// position it leads to (unless the command names another minimum).
constexpr uint32_t PolyglotExportMinGames = 3;
// The walk from the initial position stops this many plies deep.
constexpr int PolyglotExportMaxDepth = 160;

struct PolyglotExportSummary {
  int64_t positions = 0;  // positions with at least one move in the book
  int64_t entries = 0;
};

// Walks from the initial position through the positions of the databases
// reached by at least `minGames` games and writes, for each
// position, its legal moves into such positions, weighted by the mover's
// points in those games (2 per win, 1 per draw, scaled to 16 bits; a move
// that scored nothing is left out). The position is restored afterwards.
bool exportPolyglotBook(DatabasePair& pair, const char* path, PolyglotExportSummary& summary,
                        char* message, uint32_t minGames = PolyglotExportMinGames);
// The console command: "white.db" and "black.db" into the named .bin file.
void runPolyglotExport(const char* path, uint32_t minGames = PolyglotExportMinGames);
