// Piece values and piece-square tables (stub, being implemented).
#include "eval/piece_square.h"

const int16_t PieceValue[13] = {0, 100, 100, 320, 320, 325, 325, 500, 500, 950, 950, 2000, 2000};
static const int16_t ZeroTable[64] = {};
const int16_t* PieceSquareLookup[6][PhaseCount];
void initPieceSquareLookups() {
  for (auto& kind : PieceSquareLookup)
    for (auto& entry : kind) entry = ZeroTable;
}
