#include "game/search_dispatch.h"

#include "search/root_search.h"

Move runSearch() { return iterativeDeepening(); }
