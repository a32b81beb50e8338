// Commands read while a search runs that must wait until it has ended
// ("position", "go", "setoption", ...), kept in the order they came.
#pragma once

#include "uci/command_line.h"

// Lines kept at most; input behind a full queue stays unread.
constexpr int DeferredLineCapacity = 8;

// Keeps a copy of `line`, read from its first word again; false when full.
bool deferLine(const CommandLine& line);
// The oldest kept line into `line`; false when none is kept.
bool takeDeferredLine(CommandLine& line);
// True when lines are kept.
bool linesDeferred();
// True when no more input may be read before the kept lines run: the queue
// is full, or its last line is a "go" (what follows belongs to that search).
bool deferredInputClosed();
// Forgets every kept line (a new session).
void clearDeferredLines();
