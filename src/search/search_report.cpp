#include "search/search_report.h"

namespace {
SearchReporter* Reporter = nullptr;
}

void setSearchReporter(SearchReporter* reporter) { Reporter = reporter; }
SearchReporter* searchReporter() { return Reporter; }
