// An arbitrary byte stream as a UCI session's input after the "uci" word,
// in-process.
//
// The stream is served from an in-memory file, so a running search always
// sees pending input: it reads the next line, answers it or stops. A timer
// also stops each search after a few milliseconds, as a "stop" from an
// interface would. Inputs that would run long by design (a node or depth
// limit searched in full, a large table) are not run.
#include <signal.h>
#include <sys/mman.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/input.h"
#include "core/log.h"
#include "core/position.h"
#include "fuzz_support.h"
#include "movegen/legal_moves.h"
#include "search/search_control.h"
#include "uci/uci_session.h"

namespace {

// Larger tables take longer to allocate and clear than a fuzz input should.
constexpr long LargestFuzzedHashMegabytes = 16;

// True when no "Hash" value asks for more than the fuzzed limit.
bool acceptable(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t at = text.find("ash"); at != std::string::npos; at = text.find("ash", at + 1)) {
    const size_t value = text.find_first_of("0123456789", at);
    if (value == std::string::npos) break;
    if (std::strtol(text.c_str() + value, nullptr, 10) > LargestFuzzedHashMegabytes ||
        text.find_first_not_of("0123456789", value) - value > 4) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!acceptable(data, size)) return -1;
  runSessionInBothModes(data, size, uciSession);
  return 0;
}
