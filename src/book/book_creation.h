// Building the opening books from the position-statistics databases.
#pragma once

#include <cstdint>

#include "core/types.h"

class BookFile;
class DatabasePair;
class PositionDatabase;
struct PositionRecord;

// Selection thresholds on White's score (W + D/2) / (W + B + D).
constexpr int BookMaxPly = 63;
constexpr double BlackBookMinScore = 0.535;
constexpr double WhiteBookMaxScore = 0.554;
constexpr double WhiteBookLateMaxScore = 0.52;  // after the early plies
constexpr int WhiteBookEarlyPly = 11;

// The "bookcreate" command: books from "white.db" and "black.db".
void runBookCreate();
void createBooks(DatabasePair& pair);
// Writes the book of `side` from the database into the two book files.
bool buildBook(const char* baseName, PositionDatabase& db, Side side, char* message);
bool buildBook(BookFile& book, const char* baseName, PositionDatabase& db, Side side,
               char* message);
// Does the record enter the book of positions with `side` to move?
bool takenIntoBook(const PositionRecord& record, Side side);
