#include "book/masters_book.h"

#include <string>

#include "book/opening_book.h"
#include "book/polyglot_book.h"
#include "book/polyglot_choice.h"
#include "core/clock.h"
#include "core/log.h"

namespace {
PolyglotBook Masters;
bool Tried = false;
}  // namespace

bool openMastersBook() {
  Tried = true;
  Masters.close();
  char message[BookMessageBytes] = {};
  for (const std::string& directory : defaultBookDirectories()) {
    const std::string path = directory + "/" + MastersBookName;
    if (Masters.open(path.c_str(), message)) {
      EngineLog << "-M: book opened: " << path << " (" << Masters.entryCount() << " entries)"
                << std::endl;
      return true;
    }
  }
  return false;
}

Move chooseMastersBookMove() {
  const uint32_t r = static_cast<uint32_t>(clockMs());
  if (const Move m = choosePolyglotMove(r)) return m;
  if (!Tried) openMastersBook();
  return choosePolyglotMove(Masters, r, MastersBookMinimumShare);
}
