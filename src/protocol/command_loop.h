// Start-up handshake and the command loop.
#pragma once

#include <cstdio>

// Prints the features, builds the tables, opens the books.
// `first` is the first word of the input, already read.
bool handshake(const char* first);
// Reads and runs commands until "quit" or the end of the input; the first
// word is read here, or was read by the caller and is given.
void commandLoop();
void commandLoop(const char* first);
