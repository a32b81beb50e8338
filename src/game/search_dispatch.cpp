#include "game/search_dispatch.h"

#include "mate/mate_search.h"
#include "multipv/multi_pv_search.h"
#include "search/root_search.h"
#include "search/search_control.h"

Move runSearch() {
  // "go mate N" proves a mate first; without one the search below chooses.
  if (runMateSearch()) return SearchBestMove;
  // Several lines, or a root move filter: each line's variation starts with
  // its own move, never with one the filter keeps out.
  if (MultiPvLines > 1 || rootMoveFilterActive()) return multiPvSearch();
  return iterativeDeepening();
}
