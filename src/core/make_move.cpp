#include "core/make_move.h"

PlyState PlyStack[PlyStackSize];
PlyState* CurrentPly = PlyStack;

void savePlyState(PlyState&) {}
void makeMove(Move, PlyState&) {}
void unmakeMove(Move, PlyState&) {}
bool playGameMove(Move) { return false; }
