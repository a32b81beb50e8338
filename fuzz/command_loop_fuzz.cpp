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
constexpr long SearchStopIntervalUs = 5000;

void stopSearch(int) { StopSearch = true; }

// A periodic SIGALRM that stops whatever search runs; 0 switches it off.
void setSearchStopTimer(long intervalUs) {
  static bool installed = false;
  if (!installed) {
    struct sigaction action = {};
    action.sa_handler = stopSearch;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    installed = true;
  }
  itimerval timer = {};
  timer.it_interval.tv_usec = intervalUs;
  timer.it_value.tv_usec = intervalUs;
  setitimer(ITIMER_REAL, &timer, nullptr);
}

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
  fuzzInitialize();
  clearScratchDirectory();
  const int fd = memfd_create("veltor-fuzz-input", 0);
  fuzzCheck(fd >= 0, "memfd_create failed");
  fuzzCheck(size == 0 || write(fd, data, size) == static_cast<ssize_t>(size), "input write failed");
  fuzzCheck(lseek(fd, 0, SEEK_SET) == 0, "input rewind failed");
  setInputDescriptor(fd);
  openEngineLog();
  setSearchStopTimer(SearchStopIntervalUs);
  commandLoop();
  setSearchStopTimer(0);
  EngineLog.close();
  close(fd);
  setInputDescriptor(0);
  // Whatever was received, the position the loop leaves is sound.
  if (positionIsSetUp()) fuzzCheck(positionIsConsistent(), "position inconsistent after the input");
  return 0;
}
