// Veltor: an xboard chess engine and the offline tools for its data files.
#include <csignal>

#include "protocol/command_loop.h"
#include "core/log.h"

int main() {
  // GUIs send SIGINT while the engine thinks; its default action would kill us.
  std::signal(SIGINT, SIG_IGN);
  openEngineLog();
  commandLoop();
  return 0;
}
