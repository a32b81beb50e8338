// Proof of forced mates: does the side to move mate in at most N moves,
// whatever the defence? Every move of both sides is tried (no evaluation,
// no pruning that could miss a mate); a table of proven and refuted
// positions and a refutation move per ply keep the tree small. Draws by
// repetition and the fifty-move rule play no part: a shortest mate never
// repeats a position.
#pragma once

#include <cstdint>

#include "core/types.h"

// The longest mate a proof looks for, and the plies of its line.
constexpr int MaxMateMoves = 63;
constexpr int MaxMatePlies = 2 * MaxMateMoves - 1;
// Moves made between two calls of the stop check.
constexpr uint64_t MateCheckInterval = 2048;

// Asked every MateCheckInterval moves made, with the count so far; true
// ends the proof unfinished.
using MateStopCheck = bool (*)(uint64_t nodes);

struct MateProof {
  int moves = 0;                 // the shortest mate found (1 = mate at once); 0: none
  bool stopped = false;          // the stop check ended the proof first
  int searchedMoves = 0;         // the largest mate length proven or refuted completely
  uint64_t nodes = 0;            // moves made
  Move line[MaxMatePlies] = {};  // the mate: attacker's moves and the longest defence
  int length = 0;
};

// Which first moves a proof may use (nullptr: all of them).
using MateRootFilter = bool (*)(Move m);

// Looks for mates in 1, 2, ... up to maxMoves moves of the side to move,
// starting with a move the filter allows, and stops at the first found (or
// when `stop` says so). The position is left as it was. maxMoves is held
// within 1..MaxMateMoves.
MateProof proveMate(int maxMoves, MateStopCheck stop, MateRootFilter allowed = nullptr);
// Share of the proof table in use, per thousand (a sample at its start).
int mateTablePermille();
