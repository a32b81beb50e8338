// The game the front ends drive: setting it up and playing its moves, with
// the search state that belongs to it.
#pragma once

#include "core/types.h"

// The test moves of the last set-up text ("bm" and "am" fields), or 0.
extern Move BestTestMove;
extern Move AvoidTestMove;

// Sets up a new game from FEN text: the position (only set-ups a game can
// reach), cleared search tables and the test move. A refused text changes
// nothing. A test move that cannot be read is reported and gives false, with
// the game set up.
bool setUpGame(const char* fen);
// Plays a move of the game (see makeGameMove); the move ordering then starts
// afresh for the new position. False only for the value 0.
bool playGameMove(Move m);
