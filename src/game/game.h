// The game the front ends drive: setting it up and playing its moves, with
// the search state that belongs to it.
#pragma once

#include <cstdint>

#include "core/types.h"

// The game's moves since its set-up are recorded (history compaction or not)
// so that moves can be taken back; a game longer than this stops recording
// and takebacks are refused from then on.
constexpr int MaxRecordedPlies = 2048;
// Longest set-up text kept for a takeback (longer texts are cut).
constexpr int SetUpTextCapacity = 256;

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
// false, with the game set up. The text's move number tells the time budget
// how many plies were played before it.
bool setUpGame(const char* fen, SearchTables tables = SearchTables::Clear);
// Plays a move of the game (see makeGameMove); the move ordering then starts
// afresh for the new position. False only for the value 0.
bool playGameMove(Move m);
// Hands the move to `side` ("white"/"black"); recorded like a move.
void setGameSideToMove(Side side);
// Counts the changes of the game position: set-ups, moves, the move handed
// over and takebacks (what a front end keeps for one position only watches it).
uint32_t gameChangeCount();
// Takes back the last `plies` game moves: the game is set up again from its
// set-up text and the rest replayed (the search tables stay). False, with
// nothing changed, when fewer moves were recorded.
bool takeBackGameMoves(int plies);
