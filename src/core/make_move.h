// Making and unmaking moves on the process-wide Position.
#pragma once

#include "core/ply_state.h"
#include "core/types.h"

// Copies what unmakeMove restores (occupancies, keys, castling, en passant)
// into the record; every caller that unmakes calls this before makeMove.
void savePlyState(PlyState& record);
// Plays a pseudo-legal move of the side to move. A type-3 value is an internal
// error: it is appended to "!error.err" and the program exits with status 3.
void makeMove(Move m, PlyState& record);
// Takes back a move made with this record (type 3: as for makeMove).
void unmakeMove(Move m, PlyState& record);
// Plays a move of the game on the board: history, GamePly, RootSnapshot and
// the key line in the log. False only for the value 0. Compacts the history
// first when it is full. (The game layer's playGameMove also resets the
// search's move ordering.)
bool makeGameMove(Move m);
