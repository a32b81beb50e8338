// Names are matched without regard to case, as interfaces differ in how they
// write them; the value is the rest of the line.
#include "uci/uci_options.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/opening_book.h"
#include "book/polyglot_choice.h"
#include "game/search_dispatch.h"
#include "search/search_control.h"
#include "search/search_state.h"
#include "search/transposition.h"
#include "strength/strength_limit.h"
#include "uci/uci_output.h"
#include "uci/uci_search.h"

namespace {

constexpr size_t OptionNameSize = 64;

bool PonderOption = false;  // "Ponder": the interface may send "go ponder"
bool BookOpened = false;
bool OwnBookWanted = true;  // "OwnBook" as last set
// The value UCI interfaces send for an empty string option.
constexpr const char* EmptyStringValue = "<empty>";

void sendLine(const char* line) {
  std::fputs(line, stdout);
  std::fflush(stdout);
}

// The words from the cursor up to `stop` (or the end), joined by one blank.
void readName(CommandLine& line, char* name, size_t size) {
  name[0] = '\0';
  size_t used = 0;
  for (;;) {
    const size_t saved = line.cursor;
    const char* word = line.next();
    if (word == nullptr) return;
    if (strcasecmp(word, "value") == 0) {
      line.cursor = saved;
      return;
    }
    const size_t length = std::strlen(word);
    if (used + length + 2 > size) continue;  // no option has so long a name
    if (used > 0) name[used++] = ' ';
    std::memcpy(name + used, word, length + 1);
    used += length;
  }
}

bool readCheck(const char* value, bool& result) {
  if (strcasecmp(value, "true") == 0) {
    result = true;
    return true;
  }
  if (strcasecmp(value, "false") == 0) {
    result = false;
    return true;
  }
  return false;
}

void setHash(const char* value) {
  char* end = nullptr;
  const long megabytes = std::strtol(value, &end, 10);
  if (end == value || *end != '\0') {
    sendInfoString("setoption: Hash needs a number of megabytes, not: ", value);
    return;
  }
  const long clamped = megabytes < MinTableMegabytes   ? MinTableMegabytes
                       : megabytes > MaxTableMegabytes ? MaxTableMegabytes
                                                       : megabytes;
  if (!resizeTranspositionTable(static_cast<int>(clamped))) {
    sendInfoString("setoption: the table could not be resized, it keeps its size");
  }
}

void setOwnBook(const char* value) {
  bool on = false;
  if (!readCheck(value, on)) {
    sendInfoString("setoption: OwnBook is true or false, not: ", value);
    return;
  }
  OwnBookWanted = on;
  if (on && !BookOpened) openBooks();
  UseOwnBook = on && (BookOpened || polyglotBookInUse().isOpen());
}

// "Book File": a .bin book to choose book moves from; empty: none.
void setBookFile(const char* value) {
  const char* path = strcasecmp(value, EmptyStringValue) == 0 ? "" : value;
  char message[BookMessageBytes] = {};
  if (!usePolyglotBook(path, message)) sendInfoString("setoption: Book File not opened: ", message);
  UseOwnBook = OwnBookWanted && (BookOpened || polyglotBookInUse().isOpen());
}

// "MultiPV": lines per analysis, held within 1..MaxMultiPvLines.
void setMultiPv(const char* value) {
  char* end = nullptr;
  const long lines = std::strtol(value, &end, 10);
  if (end == value || *end != '\0') {
    sendInfoString("setoption: MultiPV needs a number of lines, not: ", value);
    return;
  }
  MultiPvLines = lines < 1                 ? 1
                 : lines > MaxMultiPvLines ? MaxMultiPvLines
                                           : static_cast<int>(lines);
}

}  // namespace

void openBooks() {
  BookOpened = findAndOpenBooks();
  if (!BookOpened) sendInfoString("book not opened, playing without it: ", Book.message);
  UseOwnBook = OwnBookWanted && (BookOpened || polyglotBookInUse().isOpen());
}

void sendOptions() {
  char line[160];
  std::snprintf(line, sizeof line, "option name Hash type spin default %d min %d max %d\n",
                transpositionTableMegabytes(), MinTableMegabytes, MaxTableMegabytes);
  sendLine(line);
  sendLine("option name Clear Hash type button\n");
  sendLine(PonderOption ? "option name Ponder type check default true\n"
                        : "option name Ponder type check default false\n");
  sendLine(UseOwnBook ? "option name OwnBook type check default true\n"
                      : "option name OwnBook type check default false\n");
  sendLine("option name Book File type string default <empty>\n");
  sendLine(searchMode() == SearchMode::Strong ? "option name Strong type check default true\n"
                                              : "option name Strong type check default false\n");
  sendLine(strengthLimited() ? "option name UCI_LimitStrength type check default true\n"
                             : "option name UCI_LimitStrength type check default false\n");
  std::snprintf(line, sizeof line, "option name UCI_Elo type spin default %d min %d max %d\n",
                limitedElo(), MinLimitedElo, MaxLimitedElo);
  sendLine(line);
  std::snprintf(line, sizeof line, "option name MultiPV type spin default 1 min 1 max %d\n",
                MaxMultiPvLines);
  sendLine(line);
  sendLine("option name UCI_ShowWDL type check default false\n");
}

void commandSetOption(CommandLine& line) {
  const char* word = line.next();
  if (word == nullptr || strcasecmp(word, "name") != 0) {
    sendInfoString("setoption: name expected");
    return;
  }
  char name[OptionNameSize];
  readName(line, name, sizeof name);
  const char* value = "";
  if (const char* keyword = line.next()) {
    (void)keyword;  // "value"
    value = line.rest();
  }
  if (strcasecmp(name, "Hash") == 0) {
    setHash(value);
  } else if (strcasecmp(name, "Clear Hash") == 0) {
    clearEngineTables();
  } else if (strcasecmp(name, "Ponder") == 0) {
    if (!readCheck(value, PonderOption))
      sendInfoString("setoption: Ponder is true or false, not: ", value);
  } else if (strcasecmp(name, "OwnBook") == 0) {
    setOwnBook(value);
  } else if (strcasecmp(name, "Book File") == 0) {
    setBookFile(value);
  } else if (strcasecmp(name, "UCI_LimitStrength") == 0) {
    bool on = false;
    if (readCheck(value, on)) {
      setStrengthLimit(on, limitedElo());
    } else {
      sendInfoString("setoption: UCI_LimitStrength is true or false, not: ", value);
    }
  } else if (strcasecmp(name, "UCI_Elo") == 0) {
    char* end = nullptr;
    const long elo = std::strtol(value, &end, 10);
    if (end == value || *end != '\0') {
      sendInfoString("setoption: UCI_Elo needs a number, not: ", value);
    } else {
      setStrengthLimit(strengthLimited(),
                       static_cast<int>(std::clamp<long>(elo, MinLimitedElo, MaxLimitedElo)));
    }
  } else if (strcasecmp(name, "Strong") == 0) {
    bool on = false;
    if (readCheck(value, on)) {
      setSearchMode(on ? SearchMode::Strong : SearchMode::Default);
    } else {
      sendInfoString("setoption: Strong is true or false, not: ", value);
    }
  } else if (strcasecmp(name, "MultiPV") == 0) {
    setMultiPv(value);
  } else if (strcasecmp(name, "UCI_ShowWDL") == 0) {
    if (!readCheck(value, UciShowWdl))
      sendInfoString("setoption: UCI_ShowWDL is true or false, not: ", value);
  } else {
    sendInfoString("setoption: no such option: ", name);
  }
}
