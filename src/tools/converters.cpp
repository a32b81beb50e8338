#include "tools/converters.h"

void pgnToPos(const char*) {}
void pgnToGame(const char*, const char*) {}
void pgnListToGame(const char*, const char*) {}
void gameToPgn(const char*, const char*) {}
void gameToPos(const char*, const char*) {}
