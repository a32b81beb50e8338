// Generated moves with their ordering scores, stacked per ply in one buffer.
#pragma once

#include "core/types.h"

struct MoveEntry {
  int16_t score;  // ordering score, higher is tried first
  Move move;
};

// Room for the longest pseudo-legal move list of any position.
constexpr int MaxMovesPerPosition = 512;
// Room for one list per ply of the deepest search, plus the root list and a spare.
constexpr int MoveBufferSize = (PlyStackSize + 4) * MaxMovesPerPosition;

extern MoveEntry MoveBuffer[MoveBufferSize];
