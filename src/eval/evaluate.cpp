#include "eval/evaluate.h"

#include <cstring>

uint32_t PawnHashTable[1 << PawnHashBits];

int16_t Evaluate() { return 0; }

void clearPawnHashTable() { std::memset(PawnHashTable, 0, sizeof(PawnHashTable)); }
