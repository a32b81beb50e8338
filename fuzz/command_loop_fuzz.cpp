// An arbitrary byte stream as the command loop's whole input, in-process.
//
// The stream is served from an in-memory file, so the search's input poll
// always sees pending input and every search ends at its first poll. As the
// poll comes only every few thousand nodes, a timer also stops each search
// after a few milliseconds, as input arriving from an interface would. Inputs
// that would run for long by design (a deep "perft", a huge table) or reach outside the
// scratch directory (file arguments with a '/') are not run.
#include <signal.h>
#include <sys/mman.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/input.h"
#include "core/log.h"
#include "core/position.h"
#include "fuzz_support.h"
#include "movegen/legal_moves.h"
#include "protocol/command_loop.h"
#include "protocol/engine_state.h"
#include "search/search_control.h"
#include "search/time_budget.h"

namespace {

constexpr int LongestCheckedPerft = 3;
constexpr int LargestCheckedMemory = 72;  // megabytes: larger tables only cost clearing time
constexpr size_t LoopWordCapacity = 255;  // the loop keeps this much of a word

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::vector<std::string> wordsOf(const uint8_t* data, size_t size) {
  std::vector<std::string> words;
  std::string word;
  for (size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (isSeparator(c)) {
      if (!word.empty()) words.push_back(word.substr(0, LoopWordCapacity));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word.substr(0, LoopWordCapacity));
  return words;
}

bool isFileCommand(const std::string& word) {
  static const char* const Commands[] = {"pgn2pos",  "pgn2game", "pgnlist2game",
                                         "game2pgn", "game2pos", "dbcreate"};
  for (const char* command : Commands) {
    if (word == command) return true;
  }
  return false;
}

// True when the input may run: no perft deeper than the limit, no path
// argument leaving the scratch directory.
bool acceptable(const uint8_t* data, size_t size) {
  const std::vector<std::string> words = wordsOf(data, size);
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "perft" && i + 1 < words.size()) {
      const char* digits = words[i + 1].c_str();
      char* end = nullptr;
      const long depth = std::strtol(digits, &end, 10);
      if (end != digits && depth > LongestCheckedPerft) return false;
    }
    if (words[i] == "memory" && i + 1 < words.size()) {
      const long megabytes = std::strtol(words[i + 1].c_str(), nullptr, 10);
      if (megabytes > LargestCheckedMemory) return false;
    }
    if (isFileCommand(words[i])) {
      for (size_t k = i + 1; k <= i + 2 && k < words.size(); ++k) {
        if (words[k].find('/') != std::string::npos) return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!acceptable(data, size)) return -1;
  runSessionInBothModes(data, size, commandLoop);
  return 0;
}
