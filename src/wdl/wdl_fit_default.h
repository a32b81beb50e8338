// Written by scripts/fit-wdl.py --mode default: do not edit by hand.
#pragma once

// a(x) and b(x) of the default search's odds model (see wdl_model.h).
constexpr double DefaultModeWdlA[3] = {100.0, 0.0, 0.0};
constexpr double DefaultModeWdlB[3] = {80.0, 0.0, 0.0};
