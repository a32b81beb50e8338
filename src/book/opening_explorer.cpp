#include "book/opening_explorer.h"

#include <algorithm>
#include <cstdio>

#include "book/book_choice.h"
#include "book/opening_book.h"
#include "core/make_move.h"
#include "core/move_list.h"
#include "core/move_text.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "db/position_database.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

int exploreMoves(DatabasePair& pair, ExplorerLine* lines) {
  if (!positionIsSetUp()) return 0;
  Move bookMoves[MaxMovesPerPosition];
  const int bookCount = bookCandidates(bookMoves);
  CheckInfo info;
  computeCheckInfo(info);
  MoveEntry moves[MaxMovesPerPosition];
  const MoveEntry* end = generateMoves(moves, info);
  static PlyState record;
  int count = 0;
  for (const MoveEntry* e = moves; e < end; ++e) {
    if (!leavesKingSafe(e->move)) continue;
    savePlyState(record);
    makeMove(e->move, record);
    const PositionRecord* found = pair.find(static_cast<Side>(Pos.side), Pos.key);
    if (found) {
      const double games = static_cast<double>(found->whiteWins) + found->blackWins + found->draws;
      if (games > 0) {
        ExplorerLine& line = lines[count++];
        line.move = e->move;
        line.games = uint64_t{found->whiteWins} + found->blackWins + found->draws;
        line.whiteScore = (found->whiteWins + found->draws / 2.0) / games;
        line.drawShare = found->draws / games;
        line.inBook = std::find(bookMoves, bookMoves + bookCount, e->move) != bookMoves + bookCount;
      }
    }
    unmakeMove(e->move, record);
  }
  std::stable_sort(lines, lines + count,
                   [](const ExplorerLine& a, const ExplorerLine& b) { return a.games > b.games; });
  return count;
}

void runExplorer() {
  DatabasePair pair;
  if (!pair.open("white.db", "black.db")) {
    printf("%s\n", pair.message);
    return;
  }
  static ExplorerLine lines[MaxMovesPerPosition];
  const int count = exploreMoves(pair, lines);
  if (count == 0) {
    printf("no move of this position is in the databases.\n");
    return;
  }
  printf("move      games   white   draws  book\n");
  for (int i = 0; i < count; ++i) {
    char text[8];
    moveToText(text, lines[i].move);
    printf("%-6s %8llu  %5.1f%%  %5.1f%%  %s\n", text,
           static_cast<unsigned long long>(lines[i].games), 100 * lines[i].whiteScore,
           100 * lines[i].drawShare, lines[i].inBook ? "*" : "");
  }
}
