#include "uci/deferred_lines.h"

#include <cstring>

namespace {

CommandLine Queue[DeferredLineCapacity];
int First = 0;  // index of the oldest line
int Count = 0;
bool LastIsGo = false;

}  // namespace

bool deferLine(const CommandLine& line) {
  if (Count == DeferredLineCapacity) return false;
  CommandLine& kept = Queue[(First + Count) % DeferredLineCapacity];
  kept = line;
  kept.rewind();
  ++Count;
  // Splitting off the first word again changes nothing the session reads.
  const char* word = kept.next();
  LastIsGo = word != nullptr && std::strcmp(word, "go") == 0;
  kept.rewind();
  return true;
}

bool takeDeferredLine(CommandLine& line) {
  if (Count == 0) return false;
  line = Queue[First];
  First = (First + 1) % DeferredLineCapacity;
  if (--Count == 0) LastIsGo = false;
  return true;
}

bool linesDeferred() { return Count > 0; }

bool deferredInputClosed() { return Count == DeferredLineCapacity || LastIsGo; }

void clearDeferredLines() {
  First = 0;
  Count = 0;
  LastIsGo = false;
}
