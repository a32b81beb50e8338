// Static evaluation with a pawn-structure cache.
#pragma once

#include <cstdint>

#include "core/types.h"

constexpr int PawnHashBits = 20;
extern uint32_t PawnHashTable[1 << PawnHashBits];

// Score of Pos in centipawns from the side to move's view.
int16_t Evaluate();
// Empties the pawn hash table (every position set-up).
void clearPawnHashTable();

// King-safety parts of Evaluate, exposed for tests.
// Shelter bonus of `side`'s castled king from its own view (any phase).
int kingShelter(Side side);
// Exposure (0..15) of `side`'s king (any phase).
int kingExposure(Side side);
// Weight of an attack sum on a king; sums past the table read its last entry.
int kingAttackWeight(int attackSum);
