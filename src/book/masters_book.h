// The strong mode's book: what the default book's games show strong players
// play, as a .bin book ("masters.bin", exported from the default book's
// databases with a minimum number of games) beside the default book. Moves
// are drawn by their weight (the mover's points in those games), so the
// main lines come most often and a side line only as often as it was
// played and scored.
#pragma once

#include "core/types.h"

constexpr const char* MastersBookName = "masters.bin";
// Moves weighing less than this fraction of the heaviest move of their
// position are never played.
constexpr unsigned MastersBookMinimumShare = 20;

// Opens masters.bin from the default book's directories; false when none
// has it (the log says which opened).
bool openMastersBook();
// The strong mode's book move here: from the user's .bin book where it knows
// the position, else from masters.bin; 0 when neither has one.
Move chooseMastersBookMove();
