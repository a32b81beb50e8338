// Helpers shared by the unit tests of every subsystem.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Builds the fixed tables once per test binary.
void ensureTablesInitialized();
// readFen with the tables ready and the search tables cleared, as for a new
// game; fails the calling test when rejected.
void setUpPosition(const char* fen);
// Path of a file under the shared reference data (../shared beside the
// repository; a fresh clone has none).
std::string sharedDataPath(const std::string& relative);
// Path of a file under tests/fixtures, the small data kept in the repository.
std::string fixturePath(const std::string& relative);

// A fresh empty directory under the system temporary directory.
std::string makeScratchDirectory(const std::string& tag);
// Moves the current directory into a fresh scratch directory for one test,
// and back again.
class ScratchDirectory {
 public:
  // Fails the calling test (fatally) when the directory cannot be made or entered.
  void enter(const std::string& tag);
  // Back to the directory enter() left; nothing when none was entered.
  void leave();
  bool entered() const { return !previous_.empty(); }

 private:
  std::string previous_;
};

// The lines of a text, without their line ends.
std::vector<std::string> splitLines(const std::string& text);
// Whole contents of a file ("" when it cannot be read).
std::string readWholeFile(const std::string& path);
// The names in a directory, sorted (a leftover temporary shows up here).
std::vector<std::string> directoryNames(const std::string& path = ".");

// While it lives, no file this process writes grows beyond `bytes`: a write
// past that fails as on a full disk (SIGXFSZ is ignored meanwhile). Standard
// output captured by a test goes to a file too: keep it below the limit.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(unsigned long bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  unsigned long previousSoft_;
  unsigned long previousHard_;
  void (*previousHandler_)(int);
};

// Skips the calling test, with a one-line reason, when this file or folder of
// the shared reference data is missing.
#define SKIP_WITHOUT_SHARED_DATA(relative)                        \
  do {                                                            \
    const std::string sharedPath_ = sharedDataPath(relative);     \
    if (!std::filesystem::exists(sharedPath_))                    \
      GTEST_SKIP() << "reference data not found: " << sharedPath_ \
                   << " (needs ../shared beside the repository)"; \
  } while (false)

// What the engine prints on "xboard" (or any first word) before its book message.
extern const char* const XboardFeatureLines;
