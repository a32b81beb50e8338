// The tuner's data: one position per line, its FEN, a semicolon and the
// result of the game it came from (W, B or D).
#pragma once

#include <cstdio>
#include <string>

// True when the position on the board is worth learning from: the side to
// move is not in check, has no capture or promotion that wins material at
// once, and the evaluation scores it with its weights (no known ending).
bool quietEnoughToLearn();

// Writes the current position with its game's result.
void writeLabelledPosition(std::FILE* out, char result);
