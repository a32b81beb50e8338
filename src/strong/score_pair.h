// A middlegame and an endgame value packed into one integer, so that both
// are summed with one addition.
#pragma once

#include <cstdint>

using Score = int32_t;

constexpr Score S(int mg, int eg) {
  return static_cast<Score>(static_cast<uint32_t>(eg) << 16) + mg;
}
constexpr int mgOf(Score s) { return static_cast<int16_t>(static_cast<uint32_t>(s) & 0xFFFF); }
constexpr int egOf(Score s) {
  return static_cast<int16_t>((static_cast<uint32_t>(s) + 0x8000) >> 16);
}
