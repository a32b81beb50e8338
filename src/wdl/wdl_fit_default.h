// Written by scripts/fit-wdl.py --mode default: do not edit by hand.
// Fitted to 62119 positions of real games, every 80-th, scored with go nodes 20000.
#pragma once

// a(x) and b(x) of the default search's odds model (see wdl_model.h).
constexpr double DefaultModeWdlA[3] = {219.6897, -460.8184, 406.2739};
constexpr double DefaultModeWdlB[3] = {107.1847, -185.2551, 278.8380};
constexpr double DefaultModeWdlLevel = 335.2422;
