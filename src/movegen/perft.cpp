// Move-path counting over the search's own machinery.
//
// Perft deliberately takes the same road as the search: one PlyState record
// per ply, move lists stacked in the MoveBuffer, the generators chosen through
// MoveGenerators, make -> kingLeftInCheck -> unmake. A count that matches the
// reference therefore vouches for exactly the code the search runs.
#include "movegen/perft.h"

#include <cinttypes>
#include <cstdio>

#include "core/clock.h"
#include "core/make_move.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

uint32_t MoveCounter = 0;

namespace {

// Deeper requests are cut here; with the root record the stack still has room.
constexpr int MaxPerftDepth = MaxSearchPly;
constexpr double MillisecondsPerSecond = 1000.0;

}  // namespace

void runPerft(int depth) {
  // 1. Clamp.
  if (depth > MaxPerftDepth) depth = MaxPerftDepth;

  // 2. The root list starts at the beginning of the buffer.
  CurrentPly->listEnd = MoveBuffer;
  MoveBuffer[0].move = 0;
  MoveCounter = 0;

  // 3. Counting runs one record above the current one.
  ++CurrentPly;
  CurrentPly->listEnd = nullptr;
  computeCheckInfo(CurrentPly->check);

  // 4-5. One line per depth; every line recounts the tree from the root.
  std::printf("ply\tduration\tnodes\n");
  uint64_t total = 0;
  for (int i = 1; i <= depth; ++i) {
    const int32_t start = clockMs();
    const uint64_t nodes = perft(i);
    const int32_t elapsed = clockMs() - start;
    std::printf("%d\t%2.1f\t%" PRIu64 "\n", i, elapsed / MillisecondsPerSecond, nodes);
    total += nodes;
  }

  // 6-7. Back to the caller's record, then the totals.
  --CurrentPly;
  std::printf("total nodes: %" PRIu64 "\n", total);
  std::printf("(total moves[32]: %u)\n", static_cast<unsigned>(MoveCounter));
}

uint64_t perft(int depth) {
  PlyState* const record = CurrentPly;
  const Side side = Pos.side;

  // 1-2. Generate into the list that begins where the previous ply's ends.
  computeCheckInfo(record->check);
  MoveEntry* const start = listStartOf(record);
  record->listEnd = generateMoves(start, record->check);

  // 3. What every unmake of this node restores.
  savePlyState(*record);

  // 4. Make each move; illegal ones are counted as made but not as nodes.
  uint64_t count = 0;
  for (record->cursor = start; record->cursor < record->listEnd; ++record->cursor) {
    const Move m = record->cursor->move;
    // A set-up position may leave the enemy king en prise (the reader does
    // not judge legality). Taking it ends the game, not a path: below it the
    // generators would move a king that is gone and corrupt the board.
    if (moveTo(m) == Pos.king[side ^ 1]) continue;
    ++MoveCounter;
    makeMove(m, *record);
    ++CurrentPly;
    if (kingLeftInCheck(m, side)) {
      --CurrentPly;
      unmakeMove(m, *record);
      continue;
    }
    ++count;
    if (depth >= 2) {
      CurrentPly->listEnd = nullptr;
      count += perft(depth - 1);
    }
    --CurrentPly;
    unmakeMove(m, *record);
  }
  return count;
}

uint64_t perftFromRoot(int depth) {
  if (depth <= 0) return 0;
  CurrentPly = PlyStack;
  CurrentPly->listEnd = MoveBuffer;
  ++CurrentPly;
  CurrentPly->listEnd = nullptr;
  const uint64_t nodes = perft(depth);
  CurrentPly = PlyStack;
  return nodes;
}
