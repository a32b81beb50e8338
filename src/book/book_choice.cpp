#include "book/book_choice.h"

#include "book/opening_book.h"
#include "book/polyglot_choice.h"
#include "core/clock.h"
#include "core/make_move.h"
#include "core/move_list.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

namespace {

// The moves into the opponent's book, in the reverse of generation order.
int ownBookCandidates(Move* candidates) {
  // 1. Nothing to find when the opponent's book is empty.
  const Side side = Pos.side;
  if (Book.books[side ^ 1].recordCount() <= 0) return 0;

  // 2. Every pseudo-legal move (evasions when in check).
  CheckInfo info;
  computeCheckInfo(info);
  MoveEntry moves[MaxMovesPerPosition];
  MoveEntry* end = generateMoves(moves, info);
  if (end == moves) return 0;

  // 3. Keep the moves whose position is in the book of the side then to move.
  //    Reaching a book position is the only test a move needs.
  static PlyState record;
  int count = 0;
  savePlyState(record);
  for (MoveEntry* entry = end; entry != moves;) {
    --entry;
    makeMove(entry->move, record);
    if (Book.contains(Pos.side, Pos.key)) candidates[count++] = entry->move;
    unmakeMove(entry->move, record);
  }
  return count;
}

}  // namespace

int bookCandidates(Move* moves) {
  uint32_t weights[PolyglotMaxEntriesPerKey];
  const int named = polyglotCandidates(moves, weights);
  return named > 0 ? named : ownBookCandidates(moves);
}

Move chooseBookMoveWith(uint32_t r) {
  // A .bin book in use chooses by its weights where it knows the position.
  if (const Move m = choosePolyglotMove(r)) return m;
  Move candidates[MaxMovesPerPosition];
  const int count = ownBookCandidates(candidates);
  // 4. All candidates weigh the same.
  if (count == 0) return 0;
  return candidates[r % static_cast<uint32_t>(count)];
}

Move chooseBookMove() { return chooseBookMoveWith(static_cast<uint32_t>(clockMs())); }
