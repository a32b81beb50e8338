#include "tools/san.h"

Move parseSanMove(const char*) { return 0; }
Move parseCoordinateMove(const char*) { return 0; }
Move resolvePieceMove(char, int, Bitboard) { return 0; }
