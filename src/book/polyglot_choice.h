// The .bin book the engine plays from when the user names one.
#pragma once

#include <cstdint>

#include "book/polyglot_book.h"
#include "core/types.h"

// Plays from the named .bin book from now on, in place of any named before;
// an empty path or "none" stops using one. False with a message when the
// file cannot be opened (the engine then uses none). The xboard console
// command and the UCI option both end here.
bool usePolyglotBook(const char* path, char* message);
const PolyglotBook& polyglotBookInUse();

// The book's legal moves for the side to move, with their weights; entries
// that name no legal move or weigh 0 are skipped. Returns their number (at
// most PolyglotMaxEntriesPerKey).
int polyglotCandidates(const PolyglotBook& book, Move* moves, uint32_t* weights);
// A candidate drawn with the value r in proportion to its weight; 0 if none.
// Candidates weighing less than 1/minimumShare of the heaviest are left out
// (0: none is).
Move choosePolyglotMove(const PolyglotBook& book, uint32_t r, uint32_t minimumShare = 0);
// The same two for the book in use.
int polyglotCandidates(Move* moves, uint32_t* weights);
Move choosePolyglotMove(uint32_t r);
