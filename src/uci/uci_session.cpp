// Commands are read a line at a time. Unknown commands and words are
// ignored, as the protocol asks; the xboard words mean nothing here.
#include "uci/uci_session.h"

#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "game/search_dispatch.h"
#include "movegen/move_tables.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/search_state.h"
#include "uci/command_line.h"
#include "uci/deferred_lines.h"
#include "uci/uci_options.h"
#include "uci/uci_output.h"
#include "uci/uci_position.h"
#include "uci/uci_search.h"

namespace {

CommandLine Line;

void sendIdLines() {
  std::fputs("id name Veltor " VELTOR_VERSION "\nid author the Veltor developers\n", stdout);
}

void sendIdentity() {
  sendIdLines();
  sendOptions();
  std::fputs("uciok\n", stdout);
}

// Runs one line; false when the session ends.
bool runLine(CommandLine& line) {
  const char* word = line.next();
  if (word == nullptr) return true;
  EngineLog << "::uci:: " << word << '\n';
  if (std::strcmp(word, "quit") == 0) return false;
  if (std::strcmp(word, "isready") == 0) {
    std::fputs("readyok\n", stdout);
  } else if (std::strcmp(word, "uci") == 0) {
    sendIdentity();
  } else if (std::strcmp(word, "setoption") == 0) {
    commandSetOption(line);
  } else if (std::strcmp(word, "ucinewgame") == 0) {
    clearEngineTables();
    forgetGame();
  } else if (std::strcmp(word, "position") == 0) {
    commandPosition(line);
  } else if (std::strcmp(word, "go") == 0) {
    commandGo(line);
    if (QuitRequested) return false;
  }
  // "stop" and "ponderhit" with no search running, "debug", "register" and
  // anything unknown: nothing to do.
  return true;
}

}  // namespace

void uciSession() {
  // Unbuffered: every line reaches the interface as it is written.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  QuitRequested = false;
  clearDeferredLines();
  MultiPvLines = 1;
  UciShowWdl = false;
  forgetGame();
  sendIdLines();
  CurrentPly = PlyStack;
  initMoveTables();
  clearSearchTables();
  setSearchReporter(&UciInfoOutput);
  openBooks();  // OwnBook's default says whether they opened
  sendOptions();
  std::fputs("uciok\n", stdout);
  for (;;) {
    if (!takeDeferredLine(Line) && !Line.read()) {
      break;  // the interface is gone: end as on "quit"
    }
    if (!runLine(Line)) break;
  }
  EngineLog.flush();
}
