// King and pawn against king: which positions the pawn's side wins, worked
// out backwards from the promotions when the tables are built.
#pragma once

#include "core/types.h"

void initKpk();
// True when `strong`'s king on `strongKing` and pawn on `pawn` win against
// the king on `weakKing` with `toMove` to move.
bool kpkWins(Side strong, int strongKing, int pawn, int weakKing, Side toMove);
