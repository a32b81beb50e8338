#include "book/masters_book.h"

#include <unistd.h>

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

// The clock and the process number, well mixed: a draw by weight needs the
// whole range, not the clock's slowly changing low digits.
namespace {
uint32_t randomDraw() {
  uint64_t x = static_cast<uint64_t>(static_cast<uint32_t>(clockMs())) ^
               (static_cast<uint64_t>(getpid()) << 32);
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return static_cast<uint32_t>(x ^ (x >> 31));
}
}  // namespace

Move chooseMastersBookMove() {
  const uint32_t r = randomDraw();
  if (const Move m = choosePolyglotMove(r)) return m;
  if (!Tried) openMastersBook();
  return choosePolyglotMove(Masters, r, MastersBookMinimumShare);
}
