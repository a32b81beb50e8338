// The options a UCI interface can set, and their announcement.
#pragma once

#include "uci/command_line.h"

// Opens the books (those of the current directory, else the default book);
// OwnBook is on when they opened (an "info string" says why not otherwise).
void openBooks();
// One "option name ... type ..." line per option.
void sendOptions();
// "setoption name NAME [value VALUE]" (the words after "setoption").
void commandSetOption(CommandLine& line);
