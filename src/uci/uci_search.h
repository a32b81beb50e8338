// "go" and everything that happens until its one "bestmove".
#pragma once

#include "uci/command_line.h"

// Reads the limits, answers from the book or runs a search, and sends exactly
// one bestmove (after "stop" or "ponderhit" when the search was to wait for
// one). Commands that arrive meanwhile are answered ("isready"), acted on
// ("stop", "ponderhit", "quit") or kept for afterwards (DeferredLine): a
// search with a limit of its own runs on to it, any other ends.
void commandGo(CommandLine& line);

// A command read during a search that runs once the search has ended.
extern CommandLine DeferredLine;
extern bool LineDeferred;
// "quit" or the end of the input came during a search.
extern bool QuitRequested;
// The OwnBook option: book moves for timed play.
extern bool UseOwnBook;
