// The "position" command: the game the interface sets up before every "go".
#pragma once

#include "core/types.h"
#include "uci/command_line.h"

// Sets up "startpos" or "fen FEN" and plays the moves after "moves". When the
// line continues the game set up last (same start, that game's moves first),
// only the new moves are played and the search tables stay. A refused FEN
// keeps the previous position; an illegal or unreadable move ends the list
// there. Either is told with an "info string".
void commandPosition(CommandLine& line);
// The next set-up starts a new game ("ucinewgame").
void forgetGame();
// "go" before any "position": the start position.
void setUpStartPositionIfNone();
// A move word of the interface: coordinate text with its promotion letter in
// either case (some interfaces send "a7a8Q"); 0 when it is no move text.
Move uciMoveFromText(const char* word);
