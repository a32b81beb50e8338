// Pseudo-legal move generators for each side, with ordering scores.
#pragma once

#include "core/move_list.h"
#include "core/ply_state.h"
#include "core/types.h"
#include "movegen/move_scores.h"

// Each generator appends to `end` and returns the new end; it never checks room.
template <Side S>
MoveEntry* generateAll(MoveEntry* end);
template <Side S>
MoveEntry* generateCaptures(MoveEntry* end);
template <Side S>
MoveEntry* generateEvasions(MoveEntry* end, const CheckInfo& info);

struct GeneratorSet {
  MoveEntry* (*all)(MoveEntry* end);
  MoveEntry* (*captures)(MoveEntry* end);
  MoveEntry* (*evasions)(MoveEntry* end, const CheckInfo& info);
};
// Indexed by the side to move.
extern const GeneratorSet MoveGenerators[2];
