// The engine's move decision, pondering and result announcements.
#pragma once

#include "core/ply_state.h"
#include "core/types.h"

// The expected reply while it stands on the board (Pondering), else 0.
extern Move PonderMove;
// The record that makes and takes back PonderMove, apart from the search stack.
extern PlyState PonderPlyState;

// Plays the engine's move (book or search), announces a finished game, then
// ponders on the expected reply when pondering is enabled.
void decideMove();
// Runs one search to completion; goodPonder keeps the clock of the ponder search.
void StartEngine(bool goodPonder, int depth);
// The "force" command: stops thinking and leaves the engine playing neither side.
void StopEngine();
// One endless search of the game position with thinking output, until input
// arrives (analysis mode); no move is sent.
void analyzePosition();
// Searches on again on the pondered move that stands on the board (after a
// command that left it there); the ponder clock keeps running.
void resumePondering();
// Takes a pondered move back off the board if one is on it.
void takeBackPonderMove();

// Pondering internals for the command loop
// Takes PonderMove off the board and returns it (0 if none); EngineState stays.
Move liftPonderMove();
// Makes `p` again as the pondered move (after liftPonderMove).
void replacePonderMove(Move p);
