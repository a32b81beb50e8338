// The game the front ends drive: setting it up and playing its moves, with
// the search state that belongs to it.
#pragma once

#include "core/types.h"

// The test moves of the last set-up text ("bm" and "am" fields), or 0.
extern Move BestTestMove;
extern Move AvoidTestMove;

// The set-up text of the initial position.
constexpr const char* StartPositionFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// Whether a set-up empties the search tables. A front end keeps them when
// the set-up only replays the game it already has, so that the search of
// the previous move is not thrown away.
enum class SearchTables { Clear, Keep };

// Sets up a new game from FEN text: the position (only set-ups a game can
// reach), the search tables as asked and the test move. A refused text
// changes nothing. A test move that cannot be read is reported and gives
// false, with the game set up.
bool setUpGame(const char* fen, SearchTables tables = SearchTables::Clear);
// Plays a move of the game (see makeGameMove); the move ordering then starts
// afresh for the new position. False only for the value 0.
bool playGameMove(Move m);
