// Reading moves in standard algebraic (and coordinate) notation.
#pragma once

#include "core/types.h"

// The move the text names in Pos, or 0. Pos is unchanged afterwards.
Move parseSanMove(const char* text);
// file-rank-file-rank with an optional promotion letter; 0 if not that form.
Move parseCoordinateMove(const char* text);
// The single origin of a piece move to `destination` among the pieces in
// `originMask`; 0 when there is none or more than one legal candidate.
Move resolvePieceMove(char piece, int destination, Bitboard originMask);
