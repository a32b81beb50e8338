// Building a position-statistics database from a sorted position file.
#pragma once

#include "db/position_record.h"

constexpr int PositionLineBufferBytes = 255;  // at most 254 characters of a line are kept
constexpr int PositionLineMinimum = 17;       // key and separator

// Reads a position line into a fresh record whose count of the game's result
// is 1. False when the line has no result "W", "B" or "D" or no ply number.
bool parsePositionLine(const char* line, PositionRecord& record);

// One pass over the input for side 'W' or 'B', merging equal keys into one
// record each; false with the message filled on failure.
bool createDatabase(const char* inputPath, const char* outputPath, char side, char* message);
