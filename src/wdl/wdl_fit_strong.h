// Written by scripts/fit-wdl.py --mode strong: do not edit by hand.
// Fitted to 62087 positions of real games, every 80-th, scored with go nodes 20000.
#pragma once

// a(x) and b(x) of the strong search's odds model (see wdl_model.h).
constexpr double StrongModeWdlA[3] = {243.7470, -391.8460, 255.0540};
constexpr double StrongModeWdlB[3] = {92.0072, -37.1538, 72.2370};
constexpr double StrongModeWdlLevel = 432.1586;
