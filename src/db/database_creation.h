// Building a position-statistics database from a sorted position file.
#pragma once

#include "core/replacement_file.h"
#include "db/position_record.h"

constexpr int PositionLineBufferBytes = 255;  // at most 254 characters of a line are kept
constexpr int PositionLineMinimum = 17;       // key and separator

// Reads a position line into a fresh record whose count of the game's result
// is 1. False when the line has no result "W", "B" or "D" or no ply number.
bool parsePositionLine(const char* line, PositionRecord& record);

// How a pass ended: Done; Unsorted (the input stopped being sorted: the
// records before stay, the message says where); Failed (an input, output or
// parameter failure: nothing is kept).
enum class DatabasePass { Done, Unsorted, Failed };

// One pass over the input for side 'W' or 'B', merging equal keys into one
// record each, into `output`, which it begins for outputPath and closes but
// leaves for the caller to put in place (discarded on Failed). The message
// is filled unless Done.
DatabasePass createDatabase(const char* inputPath, const char* outputPath, char side,
                            ReplacementFile& output, char* message);
// The same, with the output put in place unless Failed; true only for Done.
bool createDatabase(const char* inputPath, const char* outputPath, char side, char* message);
