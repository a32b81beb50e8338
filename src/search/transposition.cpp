#include "search/transposition.h"

#include <cstring>

HashBucket TranspositionTable[2][1 << TranspositionBits];
uint32_t HistoryTable[2][4096];
CutoffStatisticsTable CutoffStatistics;

HashEntry* probe(uint64_t, int) { return nullptr; }
void store(uint64_t, int, Move, int, int, int) {}
void clearTranspositionTable() { std::memset(TranspositionTable, 0, sizeof(TranspositionTable)); }
void recordCutoffStatistic(PieceCode, int, bool) {}
void shiftKillers(PlyState&, Move) {}
void resetMoveOrderingTables() {}
void clearKillers() {}
