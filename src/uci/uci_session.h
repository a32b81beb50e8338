// The UCI front end: the session a "uci" first word starts.
#pragma once

// Answers the "uci" already read (identity, options, uciok), then reads and
// runs commands until "quit" or the end of the input.
void uciSession();
