#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/position.h"
#include "movegen/move_tables.h"
#include "search/search_state.h"

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

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}
