// Whole-Position comparison for the round-trip tests of the position core.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "core/position.h"

// Everything a make/unmake pair must give back: the board fields byte for
// byte, the history top and every history record up to it (the move stored
// in the top record is the one just taken back, so it is not compared).
// Both are copies of Pos, so both history tops point into Pos.history.
inline ::testing::AssertionResult samePosition(const Position& before, const Position& after) {
  constexpr size_t boardFields = offsetof(Position, history);
  if (std::memcmp(&before, &after, boardFields) != 0) {
    for (size_t i = 0; i < boardFields; ++i) {
      if (reinterpret_cast<const unsigned char*>(&before)[i] !=
          reinterpret_cast<const unsigned char*>(&after)[i]) {
        return ::testing::AssertionFailure() << "board fields differ at byte offset " << i;
      }
    }
  }
  const ptrdiff_t top = before.historyTop - Pos.history;
  if (after.historyTop - Pos.history != top) {
    return ::testing::AssertionFailure()
           << "history top " << (after.historyTop - Pos.history) << " instead of " << top;
  }
  for (ptrdiff_t i = 0; i <= top; ++i) {
    if (before.history[i].key != after.history[i].key ||
        before.history[i].reversible != after.history[i].reversible ||
        (i < top && before.history[i].move != after.history[i].move)) {
      return ::testing::AssertionFailure() << "history record " << i << " differs";
    }
  }
  return ::testing::AssertionSuccess();
}
