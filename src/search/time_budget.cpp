// The per-move time budget from the clock and the time control.
#include "search/time_budget.h"

#include <cstdint>

#include "core/position.h"
#include "search/search_control.h"

namespace {

constexpr int32_t SuddenDeathMovesToGo = 33;
// Per-move shares (centiseconds) above which a reserve is kept back.
constexpr int64_t LargeShareCs = 500;
constexpr int64_t LargeShareReserveCs = 100;
constexpr int64_t MediumShareCs = 220;
constexpr int64_t MediumShareReserveCs = 50;
// Centiseconds to milliseconds, keeping a tenth back before the last move of
// a control.
constexpr int64_t MsPerCs = 10;
constexpr int64_t MsPerCsLastMove = 9;

}  // namespace

int32_t MovesPerControl = 35;
int32_t IncrementMs = 0;
int32_t MovesToGo = 35;
int32_t PliesBeforeSetUp = 0;

void allocateTime(int32_t ownTimeCs) {
  // 1. Moves left in this control (a level with no move count is one long
  //    control: a fixed share of the clock).
  int32_t movesToGo = 0;
  if (MovesPerControl > 0) {
    // The side to move's own move number, counted from the game's start.
    const int32_t moveNumber = (Pos.gamePly + PliesBeforeSetUp + 1) / 2;
    movesToGo = MovesPerControl - ((moveNumber - 1) % MovesPerControl);
  }
  allocateTimeFor(ownTimeCs, movesToGo);
}

void allocateTimeFor(int32_t ownTimeCs, int32_t movesToGo) {
  MovesToGo = movesToGo > 0 ? movesToGo : SuddenDeathMovesToGo;
  // 2. Equal share of the own clock; a clock already below zero gives none.
  int64_t perMove = ownTimeCs > 0 ? ownTimeCs / MovesToGo : 0;
  // 3. Keep a reserve for the transmission and the move itself.
  if (perMove >= LargeShareCs) {
    perMove -= LargeShareReserveCs;
  } else if (perMove >= MediumShareCs) {
    perMove -= MediumShareReserveCs;
  }
  // 4. Milliseconds plus the increment, kept within [0, MaxMoveTimeBudget].
  int64_t budget = perMove * (MovesToGo == 1 ? MsPerCsLastMove : MsPerCs) + IncrementMs;
  if (budget < 0) budget = 0;
  if (budget > MaxMoveTimeBudget) budget = MaxMoveTimeBudget;
  MoveTimeBudget = static_cast<int32_t>(budget);
}
