// The engine's text log, "Veltor.log" in the current directory.
#pragma once

#include <fstream>

extern std::ofstream EngineLog;

// Opens (truncates) the log, which writes through every output at once;
// write failures are ignored afterwards.
void openEngineLog(const char* path = "Veltor.log");
