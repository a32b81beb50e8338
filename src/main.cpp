// Veltor: a chess engine for xboard and UCI interfaces, and the offline tools
// for its data files.
#include <csignal>
#include <cstring>

#include "core/input.h"
#include "core/log.h"
#include "protocol/command_loop.h"
#include "uci/uci_session.h"

namespace {

// The first word keeps what the xboard loop keeps of a word.
constexpr size_t FirstWordSize = 256;

}  // namespace

int main() {
  // GUIs send SIGINT while the engine thinks; its default action would kill us.
  std::signal(SIGINT, SIG_IGN);
  openEngineLog();
  // The first word chooses the protocol for the whole run: "uci" a UCI
  // session, anything else (above all "xboard") the xboard command loop.
  char first[FirstWordSize];
  readWord(first, sizeof first);
  if (std::strcmp(first, "uci") == 0) {
    uciSession();
  } else {
    commandLoop(first);
  }
  return 0;
}
