#include "game/search_dispatch.h"

#include "mate/mate_search.h"
#include "multipv/multi_pv_search.h"
#include "search/root_search.h"
#include "search/search_control.h"

Move runSearch() {
  // "go mate N" proves a mate first; without one the search below chooses.
  if (runMateSearch()) return SearchBestMove;
  if (MultiPvLines > 1) return multiPvSearch();
  return iterativeDeepening();
}
