// Helpers shared by the unit tests of every subsystem.
#pragma once

#include <string>

// Builds the fixed tables once per test binary.
void ensureTablesInitialized();
// readFen with the tables ready and the search tables cleared, as for a new
// game; fails the calling test when rejected.
void setUpPosition(const char* fen);
// Path of a file under the shared reference data.
std::string sharedDataPath(const std::string& relative);
// A fresh empty directory under the system temporary directory.
std::string makeScratchDirectory(const std::string& tag);
// Whole contents of a file ("" when it cannot be read).
std::string readWholeFile(const std::string& path);
