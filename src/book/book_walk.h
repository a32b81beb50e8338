// Books of the positions that enough games reached: "bookcreate GAMES
// [PERCENT]". The plain "bookcreate" takes every position of the databases
// that passes the score rules, one game being enough; this one keeps only
// what masters play often, so that a book of a large collection plays the
// openings people recognise rather than one-game curiosities.
#pragma once

#include <cstdint>

class DatabasePair;

struct BookThresholds {
  uint32_t minGames = 1;  // games a position needs
  double minShare = 0;    // of the games of the position the move came from (0..1)
};

// Reads "GAMES [PERCENT]": a whole number of games of at least 1 and an
// optional share in percent (0 to 100, fractions allowed). False, with the
// reason in `message`, for anything else.
bool readBookThresholds(const char* text, BookThresholds& thresholds, char* message);

// Builds "bookbtm" and "bookwtm" from the databases by a walk from the
// initial position: a move is followed when the position it leads to has at
// least minGames games and at least minShare of the games of the position
// before it, and such a position enters the book of its side to move when it
// passes the score rules of the plain book (takenIntoBook). Prints, per book,
// "Generating NAME..." and "NAME: N positions", or the failure; both books
// are put in place together, and only when both were written (true).
bool createBooksByWalk(DatabasePair& pair, const BookThresholds& thresholds);
// The command: the rest of the line after "bookcreate"; blank: the plain
// book. Missing or empty databases are refused as by the plain book, and
// "created." comes only after both books are in place.
void runBookCreateCommand(const char* arguments);
