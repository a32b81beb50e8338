#include "core/move_text.h"

char* moveToText(char* buffer, Move) { *buffer = 0; return buffer; }
Move textToMove(const char*) { return 0; }
