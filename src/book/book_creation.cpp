#include "book/book_creation.h"

void runBookCreate() {}
void createBooks(DatabasePair&) {}
bool buildBook(const char*, PositionDatabase&, int, char*) { return false; }
