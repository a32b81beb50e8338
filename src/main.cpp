// Veltor: an xboard chess engine and the offline tools for its data files.
#include <csignal>

#include "core/log.h"
#include "protocol/command_loop.h"

int main() {
  // GUIs send SIGINT while the engine thinks; its default action would kill us.
  std::signal(SIGINT, SIG_IGN);
  openEngineLog();
  commandLoop();
  return 0;
}
