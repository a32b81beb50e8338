// The finished games of a PGN file, read with the engine's own PGN reader.
#pragma once

#include <functional>

struct GameRecord;

// Calls visit(game) for each finished game of the file, in file order, with
// Pos at the initial position (visit may move it: it is set back after each
// game); stops where the reader cannot go on. False when the file cannot be
// read.
bool forEachPgnGame(const char* path, const std::function<void(const GameRecord&)>& visit);
