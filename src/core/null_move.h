// Passing the move to the other side inside the search.
#pragma once

#include "core/ply_state.h"

// Pushes a history entry marked as a null move, clears the en-passant square
// and flips the side to move; the record keeps what unmakeNullMove restores.
void makeNullMove(PlyState& record);
void unmakeNullMove(PlyState& record);
