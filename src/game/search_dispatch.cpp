#include "game/search_dispatch.h"

#include "search/root_search.h"
#include "search/search_state.h"
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

Move runSearch() {
  return Mode == SearchMode::Strong ? strongIterativeDeepening() : iterativeDeepening();
}

void clearEngineTables() {
  clearSearchTables();
  clearStrongTables();
}
