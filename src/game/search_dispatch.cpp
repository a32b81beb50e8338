#include "game/search_dispatch.h"

#include "book/book_choice.h"
#include "book/masters_book.h"
#include "core/position.h"
#include "mate/mate_search.h"
#include "multipv/multi_pv_search.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/search_state.h"
#include "search/transposition.h"
#include "strength/strength_limit.h"
#include "strong/strong_search.h"
#include "wdl/wdl_model.h"

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
  // The odds shown follow the score scale of the search that gives them.
  const bool strongScale = Mode == SearchMode::Strong || strengthLimited();
  setWdlModel(strongScale ? StrongModeWdl : DefaultModeWdl);
  // "go mate N" proves a mate first; without one the search below chooses.
  if (runMateSearch()) return SearchBestMove;
  if (strengthLimited()) return limitedStrengthSearch();
  if (Mode == SearchMode::Strong) return strongIterativeDeepening();
  if (MultiPvLines > 1) return multiPvSearch();
  return iterativeDeepening();
}

Move expectedReply() {
  if (Mode == SearchMode::Strong) return strongExpectedReply();
  const HashEntry* entry = probe(Pos.key, Pos.side);
  return entry != nullptr ? entry->move() : 0;
}

Move currentSearchRootMove(int& number, int& depth) {
  if (Mode == SearchMode::Strong || strengthLimited()) return strongCurrentRootMove(number, depth);
  depth = IterationDepth;
  return currentRootMove(number);
}

void clearEngineTables() {
  clearSearchTables();
  clearStrongTables();
}
