// Shared set-up of the fuzz harnesses: tables, a scratch directory to work
// in, and the process-wide state restored before every input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Setup
// Builds the tables, creates a scratch directory and makes it the current
// directory (once per process); later calls only restore the pristine state.
void fuzzInitialize();
// Restores the Position and the driver settings to their state at start-up.
void restoreEngineState();

// Scratch files
// Removes every file of the scratch directory.
void clearScratchDirectory();
// Writes `size` bytes to `name` in the scratch directory; aborts on failure
// (a harness that cannot write its input tests nothing).
void writeScratchFile(const char* name, const uint8_t* data, size_t size);

// Sessions
// Runs a front end's session (the xboard command loop, the UCI session) on the
// bytes as its standard input, in the scratch directory with a fresh log,
// while a timer stops every search after a few milliseconds; then checks that
// the position it leaves is sound.
void runSessionOnInput(const uint8_t* data, size_t size, void (*session)());
// The same, once with the default search and once with the strong mode.
void runSessionInBothModes(const uint8_t* data, size_t size, void (*session)());

// Checks
// Aborts with the message when `condition` is false: libFuzzer keeps the input.
void fuzzCheck(bool condition, const char* message);

// Input helpers
// The bytes as a NUL-terminated text (embedded NULs end it early, as in C).
std::string asText(const uint8_t* data, size_t size);
