// Sliding attacks on any occupancy (the exchange evaluator removes pieces
// one by one; the rotated occupancies only know the board as it stands).
#pragma once

#include "core/types.h"

void initRays();
Bitboard rookRays(int square, Bitboard occupancy);
Bitboard bishopRays(int square, Bitboard occupancy);
