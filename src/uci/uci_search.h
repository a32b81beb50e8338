// "go" and everything that happens until its one "bestmove".
#pragma once

#include "uci/command_line.h"

// Reads the limits, answers from the book or runs a search, and sends exactly
// one bestmove (after "stop" or "ponderhit" when the search was to wait for
// one). Commands that arrive meanwhile are answered ("isready"), acted on
// ("stop", "ponderhit", "quit") or kept for afterwards (deferred_lines.h): a
// search with a limit of its own runs on to it, any other ends. Book moves
// come only for a game clock (wtime/btime), told by an "info string".
void commandGo(CommandLine& line);

// "quit" or the end of the input came during a search.
extern bool QuitRequested;
// The OwnBook option: book moves for play on a game clock.
extern bool UseOwnBook;
