#include "game/search_dispatch.h"

#include "book/book_choice.h"
#include "book/masters_book.h"
#include "core/position.h"
#include "search/root_search.h"
#include "search/search_state.h"
#include "search/transposition.h"
#include "strength/strength_limit.h"
#include "strong/strong_search.h"

namespace {
SearchMode Mode = SearchMode::Default;
}

void setSearchMode(SearchMode mode) {
  // The strong mode's fixed tables are built when it is chosen, not during
  // the first timed move.
  if (mode == SearchMode::Strong) initStrongSearch();
  Mode = mode;
}

SearchMode searchMode() { return Mode; }

Move chooseGameBookMove() {
  return Mode == SearchMode::Strong || strengthLimited() ? chooseMastersBookMove()
                                                         : chooseBookMove();
}

Move runSearch() {
  if (strengthLimited()) return limitedStrengthSearch();
  return Mode == SearchMode::Strong ? strongIterativeDeepening() : iterativeDeepening();
}

Move expectedReply() {
  if (Mode == SearchMode::Strong) return strongExpectedReply();
  const HashEntry* entry = probe(Pos.key, Pos.side);
  return entry != nullptr ? entry->move() : 0;
}

void clearEngineTables() {
  clearSearchTables();
  clearStrongTables();
}
