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

// The "bookcreate" command: books from "white.db" and "black.db", which
// must exist and hold records.
void runBookCreate();
// Both books from the pair, put in place together; false (the old book kept,
// the message printed) when either failed.
bool createBooks(DatabasePair& pair);
// Writes the book of `side` from the database and puts it in place.
bool buildBook(const char* baseName, PositionDatabase& db, Side side, char* message);
// The same into `book`, written and closed but not yet in place (its commit does that).
bool buildBook(BookFile& book, const char* baseName, PositionDatabase& db, Side side,
               char* message);
// Does the record enter the book of positions with `side` to move?
bool takenIntoBook(const PositionRecord& record, Side side);
