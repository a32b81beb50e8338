// Static evaluation with a pawn-structure cache.
#pragma once

#include <cstdint>

constexpr int PawnHashBits = 20;
extern uint32_t PawnHashTable[1 << PawnHashBits];

// Score of Pos in centipawns from the side to move's view.
int16_t Evaluate();
// Empties the pawn hash table (every position set-up).
void clearPawnHashTable();
