// The engine's text log. The stream is unopened until openEngineLog, so
// writes before that (and after a failed open) set its fail bit and vanish:
// a log failure never touches play or protocol output.
#include "core/log.h"

#include <cstdio>

std::ofstream EngineLog;

void openEngineLog(const char* path) {
  if (EngineLog.is_open()) EngineLog.close();
  EngineLog.clear();
  EngineLog.open(path, std::ios::out | std::ios::trunc);
  // Every line reaches the file as it is written: a GUI that kills the
  // engine still finds everything logged until then.
  EngineLog << std::unitbuf;
  // Standard output belongs to the interface, so the complaint goes to stderr.
  if (!EngineLog.is_open()) std::fprintf(stderr, "Cannot create log file: '%s'\n", path);
}
