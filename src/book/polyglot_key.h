// Position keys of the .bin opening-book format read by GUIs and libraries:
// an XOR of fixed numbers, unrelated to the engine's own PositionKey.
#pragma once

#include <cstdint>

#include "core/position.h"

// The format's table: 768 piece-square numbers, 4 castling rights,
// 8 en-passant files and the side to move.
constexpr int PolyglotRandomCount = 781;
constexpr int PolyglotCastlingOffset = 768;
constexpr int PolyglotEnPassantOffset = 772;
constexpr int PolyglotTurnOffset = 780;
extern const uint64_t PolyglotRandom[PolyglotRandomCount];

// The .bin key of a position. The en-passant file counts only when a pawn of
// the side to move stands beside the pawn that just made its double step.
uint64_t polyglotKey(const Position& position);
