// The engine's move decision, pondering and result announcements.
#pragma once

#include "core/ply_state.h"
#include "core/types.h"

extern Move PonderMove;
extern PlyState PonderPlyState;

void decideMove();
void StartEngine(bool goodPonder, int depth);
void StopEngine();
// Takes a pondered move back off the board if one is on it.
void takeBackPonderMove();
