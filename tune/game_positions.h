// Positions of real games, read with the engine's own PGN reader: every ply
// of every finished game (after the opening plies every game shares), each
// position once.
#pragma once

#include <cstdio>

// Writes the quiet positions of the games of `pgnPath`; returns the number
// written, or -1 when the file cannot be read.
long writeGamePositions(const char* pgnPath, std::FILE* out);
