// Positions of real games with their outcome, for fitting what a score
// says about the result (scripts/fit-wdl.py).
#pragma once

// The "pgn2fen PGN OUT" command: one line per position after every ply of
// every finished game of the PGN file, "FEN<TAB>RESULT<TAB>PLY" (FEN with
// its placement, side, castling and en-passant fields; RESULT W, B or D; PLY
// the plies played, 1 for the position after the first move). The file is
// written whole or not at all (see TextOutput): a failure leaves it as it
// was and prints why.
void pgnToFen(const char* pgnPath, const char* outPath);
