// The game conversion commands.
#pragma once

void pgnToPos(const char* pgnPath);
void pgnToGame(const char* pgnPath, const char* gamePath);
void pgnListToGame(const char* listPath, const char* gamePath);
void gameToPgn(const char* gamePath, const char* pgnPath);
void gameToPos(const char* gamePath, const char* positionPath);
