// Start-up handshake and the command loop.
#pragma once

#include <cstdio>

// Prints the features, builds the tables, opens the books.
bool handshake();
// Reads and runs commands until "quit" or the end of the input.
void commandLoop();
