// What the strong search learns about moves across nodes and across the
// moves of a game: quiet-move history by side and squares, capture history
// by piece, destination and victim, continuation history by the move before
// and the move now, and the counter-move to the last move.
#pragma once

#include <cstdint>

#include "core/types.h"

constexpr int HistoryLimit = 16384;

using ContinuationRow = int16_t[13][64];  // [piece][to] after one given move

struct HistoryTables {
  int16_t quiet[2][64 * 64];
  int16_t capture[13][64][6];
  ContinuationRow continuation[13][64];  // [previous piece][previous to]
  Move counter[13][64];
};

extern HistoryTables Histories;

void clearHistories();

// Moves an entry towards +-HistoryLimit by `bonus`, slower as it nears it.
inline void updateHistory(int16_t& entry, int bonus) {
  const int clamped = bonus > HistoryLimit    ? HistoryLimit
                      : bonus < -HistoryLimit ? -HistoryLimit
                                              : bonus;
  entry = static_cast<int16_t>(entry + clamped -
                               entry * (clamped < 0 ? -clamped : clamped) / HistoryLimit);
}

inline int fromTo(Move m) { return m & 4095; }
