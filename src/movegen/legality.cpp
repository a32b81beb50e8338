// Legality tests (stub, being implemented).
#include "movegen/legality.h"

void computeCheckInfo(CheckInfo& info) { info = CheckInfo{}; }
bool kingLeftInCheck(Move, int) { return false; }
bool castlingPathAttacked(Move) { return false; }
bool isMoveValid(Move) { return false; }
