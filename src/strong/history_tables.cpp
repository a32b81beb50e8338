#include "strong/history_tables.h"

#include <cstring>

HistoryTables Histories;

void clearHistories() { std::memset(static_cast<void*>(&Histories), 0, sizeof Histories); }
