#include "core/null_move.h"

#include <cassert>

#include "core/key_table.h"
#include "core/position.h"

void makeNullMove(PlyState& record) {
  HistoryEntry* top = Pos.historyTop;
  top->move = NullMoveMarker;
  HistoryEntry* next = top + 1;
  next->reversible = static_cast<uint16_t>(top->reversible + 1);
  next->move = 0;
  record.savedKey = Pos.key;
  record.savedPawnKey = Pos.pawnKey;
  record.savedEnPassant = Pos.enPassant;
  record.savedCastling = Pos.castling;
  // Passing ends any en-passant chance, exactly as a real move would.
  if (Pos.enPassant != 0) {
    const uint64_t epKey = KeyTable[0][Pos.enPassant];
    Pos.key ^= epKey;
    Pos.pawnKey ^= static_cast<uint32_t>(epKey);
    Pos.enPassant = 0;
  }
  next->key = Pos.key;
  Pos.historyTop = next;
  Pos.side = opposite(Pos.side);
  assert(positionIsConsistent());
}

void unmakeNullMove(PlyState& record) {
  Pos.side = opposite(Pos.side);
  Pos.key = record.savedKey;
  Pos.pawnKey = record.savedPawnKey;
  Pos.enPassant = record.savedEnPassant;
  Pos.castling = record.savedCastling;
  --Pos.historyTop;
  assert(positionIsConsistent());
}
