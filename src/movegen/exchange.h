// Static exchange scoring of doubtful captures for move ordering.
#pragma once

#include "core/types.h"

// Score of moving `mover` from `from` to `to` on the generators' scale;
// -32767 for a king capture into a defended square. Never changes Pos.
int16_t exchangeScore(PieceCode mover, int from, int to, Bitboard orthogonalSliders,
                      Bitboard diagonalSliders);
