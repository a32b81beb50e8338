// The book move the engine plays: from the .bin book in use where it knows
// the position, else a move into the opponent's own book.
#pragma once

#include <cstdint>

#include "core/types.h"

// The moves the book would choose from: those of the .bin book in use when it
// has any here, else the moves into the opponent's book. Returns their number
// (at most MaxMovesPerPosition).
int bookCandidates(Move* moves);
// A book move chosen by the clock; 0 if none.
Move chooseBookMove();
// The same choice with the random value given: by weight from the .bin book,
// else candidate r mod n of the own book.
Move chooseBookMoveWith(uint32_t r);
