#pragma once

class DatabasePair;
class PositionDatabase;

// The "bookcreate" command: books from "white.db" and "black.db".
void runBookCreate();
void createBooks(DatabasePair& pair);
bool buildBook(const char* baseName, PositionDatabase& db, int side, char* message);
