#include "mate/mate_proof.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/make_move.h"
#include "core/move_list.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

namespace {

// Plies of the proof tree (a mate in MaxMateMoves and its last defender
// node) and the table of results, 2^MateTableBits entries.
constexpr int MaxProofPlies = MaxMatePlies + 2;
constexpr int MateTableBits = 18;
constexpr uint64_t MateTableMask = (uint64_t{1} << MateTableBits) - 1;
// Folded into the key when White is to move (the position key has no side term).
constexpr uint64_t WhiteToMoveKey = 0x9E3779B97F4A7C15ull;
constexpr int PermilleSample = 1000;

// What is known about an attacker-to-move position: no mate in up to
// `refutedUpTo` moves; a mate in `mateIn` moves (0: none known).
struct MateEntry {
  uint64_t key;
  uint8_t refutedUpTo;
  uint8_t mateIn;
};

MateEntry Table[uint64_t{1} << MateTableBits];
MoveEntry Lists[MaxProofPlies][MaxMovesPerPosition];
PlyState Records[MaxProofPlies];
Move Refutations[MaxProofPlies];  // the defender's last refuting move per ply

MateStopCheck StopCheck = nullptr;
MateRootFilter RootFilter = nullptr;
uint64_t Nodes = 0;
uint64_t NextCheck = 0;
bool Stopped = false;

uint64_t tableKey() { return Pos.key ^ (Pos.side == White ? WhiteToMoveKey : 0); }

MateEntry& slotFor(uint64_t key) { return Table[key & MateTableMask]; }

void noteRefuted(int moves) {
  const uint64_t key = tableKey();
  MateEntry& e = slotFor(key);
  if (e.key != key) e = MateEntry{key, 0, 0};
  e.refutedUpTo = static_cast<uint8_t>(std::max<int>(e.refutedUpTo, moves));
}

void noteMate(int moves) {
  const uint64_t key = tableKey();
  MateEntry& e = slotFor(key);
  if (e.key != key) e = MateEntry{key, 0, 0};
  if (e.mateIn == 0 || moves < e.mateIn) e.mateIn = static_cast<uint8_t>(moves);
}

// A move made: counted, and the stop check asked when its turn has come.
void countMove() {
  if (++Nodes < NextCheck || Stopped) return;
  NextCheck = Nodes + MateCheckInterval;
  if (StopCheck != nullptr && StopCheck(Nodes)) Stopped = true;
}

// The legal moves of the side to move at `ply`, the ones that give check
// first; returns their count, and that of the checks in `checks`. The
// position is unchanged.
int legalMovesChecksFirst(int ply, Move* out, int& checks) {
  CheckInfo info;
  computeCheckInfo(info);
  MoveEntry* const list = Lists[ply];
  MoveEntry* const end = generateMoves(list, info);
  PlyState& record = Records[ply];
  const Side side = Pos.side;
  const int enemyKing = Pos.king[opposite(side)];
  Move others[MaxMovesPerPosition];
  int otherCount = 0;
  checks = 0;
  for (MoveEntry* e = list; e < end; ++e) {
    const Move m = e->move;
    if (moveTo(m) == enemyKing) continue;  // a set-up with the king en prise
    savePlyState(record);
    makeMove(m, record);
    if (!kingLeftInCheck(m, side)) {
      if (sideToMoveInCheck()) {
        out[checks++] = m;
      } else {
        others[otherCount++] = m;
      }
    }
    unmakeMove(m, record);
  }
  std::copy(others, others + otherCount, out + checks);
  return checks + otherCount;
}

bool hasLegalMove(int ply) {
  CheckInfo info;
  computeCheckInfo(info);
  MoveEntry* const list = Lists[ply];
  MoveEntry* const end = generateMoves(list, info);
  PlyState& record = Records[ply];
  const Side side = Pos.side;
  for (MoveEntry* e = list; e < end; ++e) {
    savePlyState(record);
    makeMove(e->move, record);
    const bool legal = !kingLeftInCheck(e->move, side);
    unmakeMove(e->move, record);
    if (legal) return true;
  }
  return false;
}

bool defenderMated(int ply) { return sideToMoveInCheck() && !hasLegalMove(ply); }

bool attackerMates(int moves, int ply);

// The defender to move; true when every reply leaves the attacker a mate
// in at most `moves` moves (no reply: mated is a loss, stalemate is not).
bool defenderLoses(int moves, int ply) {
  CheckInfo info;
  computeCheckInfo(info);
  const bool inCheck = info.checkers != 0;
  MoveEntry* const list = Lists[ply];
  MoveEntry* const end = generateMoves(list, info);
  // The reply that refuted last at this ply goes first.
  for (MoveEntry* e = list; e < end; ++e) {
    if (e->move == Refutations[ply]) {
      std::swap(*e, *list);
      break;
    }
  }
  PlyState& record = Records[ply];
  const Side side = Pos.side;
  bool anyLegal = false;
  for (MoveEntry* e = list; e < end; ++e) {
    const Move m = e->move;
    savePlyState(record);
    makeMove(m, record);
    if (kingLeftInCheck(m, side)) {
      unmakeMove(m, record);
      continue;
    }
    anyLegal = true;
    countMove();
    const bool lost = !Stopped && attackerMates(moves, ply + 1);
    unmakeMove(m, record);
    if (!lost) {
      Refutations[ply] = m;
      return false;
    }
  }
  return anyLegal || inCheck;
}

// The attacker's move at `ply` that mates in at most `moves`, or 0. Only a
// checking move mates at once, so a mate in one tries the checks alone.
Move matingMove(int moves, int ply) {
  Move candidates[MaxMovesPerPosition];
  int checks = 0;
  const int legal = legalMovesChecksFirst(ply, candidates, checks);
  const int count = moves == 1 ? checks : legal;
  PlyState& record = Records[ply];
  for (int i = 0; i < count && !Stopped; ++i) {
    const Move m = candidates[i];
    if (ply == 0 && RootFilter != nullptr && !RootFilter(m)) continue;
    savePlyState(record);
    makeMove(m, record);
    countMove();
    const bool mates = moves == 1 ? defenderMated(ply + 1) : defenderLoses(moves - 1, ply + 1);
    unmakeMove(m, record);
    if (mates && !Stopped) return m;
  }
  return 0;
}

// The attacker to move: a mate in at most `moves` moves?
bool attackerMates(int moves, int ply) {
  const uint64_t key = tableKey();
  const MateEntry& known = slotFor(key);
  if (known.key == key) {
    if (known.mateIn != 0 && known.mateIn <= moves) return true;
    if (known.refutedUpTo >= moves) return false;
  }
  const bool mates = matingMove(moves, ply) != 0;
  if (Stopped) return false;
  if (mates) {
    noteMate(moves);
  } else {
    noteRefuted(moves);
  }
  return mates;
}

// The shortest mate of the attacker to move, at most `moves` (0: none).
int shortestMate(int moves, int ply) {
  for (int k = 1; k <= moves; ++k) {
    if (attackerMates(k, ply)) return k;
  }
  return 0;
}

// The line of a proven mate in `moves`: the attacker's mating moves and, at
// each defender turn, the reply that holds out longest.
void writeLine(MateProof& proof, int moves, Move first) {
  static PlyState lineRecords[MaxMatePlies];
  int plies = 0;
  Move attack = first;
  int left = moves;
  while (attack != 0 && plies < MaxMatePlies && !Stopped) {
    savePlyState(lineRecords[plies]);
    makeMove(attack, lineRecords[plies]);
    proof.line[plies++] = attack;
    if (left == 1 || plies >= MaxMatePlies) break;
    // The defence that puts the mate furthest off.
    Move replies[MaxMovesPerPosition];
    int checks = 0;
    const int count = legalMovesChecksFirst(plies, replies, checks);
    Move longest = 0;
    int longestMate = 0;
    for (int i = 0; i < count; ++i) {
      savePlyState(Records[plies]);
      makeMove(replies[i], Records[plies]);
      const int mate = shortestMate(left - 1, plies + 1);
      unmakeMove(replies[i], Records[plies]);
      if (mate > longestMate) {
        longestMate = mate;
        longest = replies[i];
      }
    }
    if (longest == 0) break;
    savePlyState(lineRecords[plies]);
    makeMove(longest, lineRecords[plies]);
    proof.line[plies++] = longest;
    left = longestMate;
    attack = matingMove(left, plies);
  }
  proof.length = plies;
  for (int i = plies - 1; i >= 0; --i) unmakeMove(proof.line[i], lineRecords[i]);
}

}  // namespace

MateProof proveMate(int maxMoves, MateStopCheck stop, MateRootFilter allowed) {
  MateProof proof;
  maxMoves = std::clamp(maxMoves, 1, MaxMateMoves);
  std::memset(Table, 0, sizeof Table);
  std::fill(std::begin(Refutations), std::end(Refutations), Move{0});
  StopCheck = stop;
  RootFilter = allowed;
  Nodes = 0;
  NextCheck = MateCheckInterval;
  Stopped = false;
  for (int moves = 1; moves <= maxMoves; ++moves) {
    const Move first = matingMove(moves, 0);
    if (Stopped) break;
    if (first != 0) {
      proof.moves = moves;
      writeLine(proof, moves, first);
      break;
    }
    proof.searchedMoves = moves;
  }
  proof.stopped = Stopped && proof.moves == 0;
  proof.nodes = Nodes;
  StopCheck = nullptr;
  RootFilter = nullptr;
  return proof;
}

int mateTablePermille() {
  int used = 0;
  for (int i = 0; i < PermilleSample; ++i) used += Table[i].key != 0;
  return used * 1000 / PermilleSample;
}
