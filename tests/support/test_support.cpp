#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/position.h"
#include "movegen/move_tables.h"
#include "search/search_state.h"

const char* const XboardFeatureLines =
    "\nfeature done=0\nfeature setboard=1\n"
    "feature ping=1 usermove=0 san=0 time=1 draw=0 sigint=0 sigterm=0 reuse=1 analyze=1 colors=1 "
    "playother=0 memory=1 exclude=1 variants=\"normal\" myname=\"Veltor " VELTOR_VERSION
    "\"\n"
    "feature option=\"BookFile -file \"\n"
    "feature option=\"Strong -check 0\"\n"
    "feature option=\"UCI_LimitStrength -check 0\"\n"
    "feature option=\"UCI_Elo -spin 1500 1350 2300\"\n"
    "feature option=\"MultiPV -spin 1 1 64\"\n"
    "feature option=\"ShowWDL -check 0\"\n"
    "feature done=1\n";

namespace {

// The tests' engines, in-process and child processes alike, play without the
// default book beside the build's executable unless a test names one: their
// expected moves and transcripts come from searches.
const bool NoDefaultBook = setenv("VELTOR_BOOK_DIR", "", 1) == 0;

}  // namespace

void ensureTablesInitialized() {
  static bool done = false;
  if (!done) {
    initMoveTables();
    done = true;
  }
}

void setUpPosition(const char* fen) {
  ensureTablesInitialized();
  ASSERT_TRUE(readFen(fen)) << fen;
  clearSearchTables();
}

std::string sharedDataPath(const std::string& relative) {
  return std::string(VELTOR_SHARED_DIR) + "/" + relative;
}

std::string fixturePath(const std::string& relative) {
  return std::string(VELTOR_SOURCE_DIR) + "/tests/fixtures/" + relative;
}

std::string makeScratchDirectory(const std::string& tag) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/veltor-" + tag + "-XXXXXX";
  char* made = mkdtemp(pattern.data());
  return made ? std::string(made) : std::string();
}

void ScratchDirectory::enter(const std::string& tag) {
  const std::string dir = makeScratchDirectory(tag);
  ASSERT_FALSE(dir.empty());
  char current[4096];
  ASSERT_EQ(getcwd(current, sizeof current), current);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  previous_ = current;
}

void ScratchDirectory::leave() {
  if (previous_.empty()) return;
  EXPECT_EQ(chdir(previous_.c_str()), 0);
  previous_.clear();
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> directoryNames(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

FileSizeLimit::FileSizeLimit(unsigned long bytes) {
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  previousSoft_ = limit.rlim_cur;
  previousHard_ = limit.rlim_max;
  previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = bytes;
  EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
}

FileSizeLimit::~FileSizeLimit() {
  const rlimit limit{previousSoft_, previousHard_};
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previousHandler_);
}
