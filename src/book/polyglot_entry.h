// One 16-byte entry of a .bin opening book and the format's 16-bit move.
#pragma once

#include <cstdint>

#include "core/types.h"

constexpr int PolyglotEntryBytes = 16;

// All fields big-endian in the file; the file is sorted by key.
struct PolyglotEntry {
  uint64_t key;
  uint16_t move;    // to-file 0-2, to-rank 3-5, from-file 6-8, from-rank 9-11, promotion 12-14
  uint16_t weight;  // relative frequency among the moves of the key
  uint32_t learn;   // 0: not used
};

void encodePolyglotEntry(const PolyglotEntry& entry, uint8_t* out);
PolyglotEntry decodePolyglotEntry(const uint8_t* in);

// The format's move for an engine move; castling is written as the king
// taking its own rook (e1h1, e1a1, e8h8, e8a8).
uint16_t toPolyglotMove(Move move);
// True when the book move names this engine move. Castling is also accepted
// in the king's-destination form (e1g1) some writers use.
bool polyglotMoveMatches(uint16_t bookMove, Move move);
