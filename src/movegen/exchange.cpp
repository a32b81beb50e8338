#include "movegen/exchange.h"

int16_t exchangeScore(PieceCode, int, int, Bitboard, Bitboard) { return 0; }
