// Coordinate move text of the protocol.
#pragma once

#include "core/types.h"

// Writes e2e4 / e7e8q / e1g1 (at most 6 characters with the NUL); returns the NUL.
char* moveToText(char* buffer, Move m);
// Reads a coordinate move against the RootSnapshot; 0 if the text is not one.
Move textToMove(const char* text);
