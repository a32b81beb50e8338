// Static exchange evaluation for the strong search: does a move win at least
// a given amount once every capture on its destination has been played out?
#pragma once

#include "core/types.h"

// Piece values the exchanges count in, by piece kind (the king counts 0:
// it takes last and is never taken).
constexpr int ExchangeValue[6] = {100, 325, 325, 500, 975, 0};

// The value a move gains at once: the captured piece plus any promotion.
int immediateGain(Move m);
// True when the exchange the move starts leaves its side at least
// `threshold` up. Pins are not looked at.
bool exchangeAtLeast(Move m, int threshold);
