#include "fuzz_support.h"

#include <dirent.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/attacks.h"
#include "core/input.h"
#include "core/log.h"
#include "core/position.h"
#include "game/search_dispatch.h"
#include "movegen/legal_moves.h"
#include "movegen/move_tables.h"
#include "protocol/engine_control.h"
#include "protocol/engine_state.h"
#include "search/search_control.h"
#include "search/time_budget.h"

namespace {

bool Initialized = false;
std::string ScratchPath;

// Copies taken right after start-up, before any input ran.
Position PristinePosition;
struct DriverSettings {
  int32_t engineState;
  bool ponderEnabled;
  int32_t movesPerControl;
  int32_t incrementMs;
  int32_t movesToGo;
  int32_t moveTimeBudget;
  int32_t maxSearchDepth;
} PristineSettings;

DriverSettings currentSettings() {
  return {EngineState, PonderEnabled,  MovesPerControl, IncrementMs,
          MovesToGo,   MoveTimeBudget, MaxSearchDepth};
}

}  // namespace

void fuzzInitialize() {
  if (!Initialized) {
    // Everything the harnesses write lands in a directory of their own, never
    // in the directory the fuzzer was started from.
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/veltor-fuzz-XXXXXX";
    char* made = mkdtemp(pattern.data());
    if (made == nullptr || chdir(made) != 0) {
      std::fprintf(stderr, "fuzz: cannot create a scratch directory under %s\n", pattern.c_str());
      std::abort();
    }
    ScratchPath = made;
    initMoveTables();
    PristinePosition = Pos;
    PristineSettings = currentSettings();
    Initialized = true;
  }
  restoreEngineState();
}

void restoreEngineState() {
  // The saved history pointer points into Pos itself, so a plain copy is right.
  Pos = PristinePosition;
  EngineState = PristineSettings.engineState;
  PonderEnabled = PristineSettings.ponderEnabled;
  MovesPerControl = PristineSettings.movesPerControl;
  IncrementMs = PristineSettings.incrementMs;
  MovesToGo = PristineSettings.movesToGo;
  MoveTimeBudget = PristineSettings.moveTimeBudget;
  MaxSearchDepth = PristineSettings.maxSearchDepth;
  PonderMove = 0;
  StopSearch = false;
}

void clearScratchDirectory() {
  DIR* dir = opendir(ScratchPath.c_str());
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    std::string path = ScratchPath + "/" + entry->d_name;
    unlink(path.c_str());
  }
  closedir(dir);
}

void writeScratchFile(const char* name, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(name, "wb");
  bool ok = file != nullptr && (size == 0 || std::fwrite(data, 1, size, file) == size);
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "fuzz: cannot write scratch file %s/%s\n", ScratchPath.c_str(), name);
    std::abort();
  }
}

void fuzzCheck(bool condition, const char* message) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", message);
  std::abort();
}

std::string asText(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  return std::string(text.c_str());
}

namespace {

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

}  // namespace

void runSessionOnInput(const uint8_t* data, size_t size, void (*session)()) {
  fuzzInitialize();
  clearScratchDirectory();
  const int fd = memfd_create("veltor-fuzz-input", 0);
  fuzzCheck(fd >= 0, "memfd_create failed");
  fuzzCheck(size == 0 || write(fd, data, size) == static_cast<ssize_t>(size), "input write failed");
  fuzzCheck(lseek(fd, 0, SEEK_SET) == 0, "input rewind failed");
  setInputDescriptor(fd);
  openEngineLog();
  setSearchStopTimer(SearchStopIntervalUs);
  session();
  setSearchStopTimer(0);
  EngineLog.close();
  close(fd);
  setInputDescriptor(0);
  // Whatever was received, the position the session leaves is sound.
  if (positionIsSetUp()) fuzzCheck(positionIsConsistent(), "position inconsistent after the input");
}

void runSessionInBothModes(const uint8_t* data, size_t size, void (*session)()) {
  runSessionOnInput(data, size, session);
  setSearchMode(SearchMode::Strong);
  runSessionOnInput(data, size, session);
  setSearchMode(SearchMode::Default);
}
