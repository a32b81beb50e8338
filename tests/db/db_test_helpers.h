// Shared by the book and database tests: scratch working directories and
// small database files built record by record.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "db/position_record.h"
#include "support/test_support.h"

// Runs the test body inside a fresh scratch directory, for the commands that
// use fixed file names in the current directory.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& tag) : path_(makeScratchDirectory(tag)) {
    char buffer[4096];
    previous_ = getcwd(buffer, sizeof buffer) ? buffer : "/";
    entered_ = !path_.empty() && chdir(path_.c_str()) == 0;
  }
  ~ScopedWorkingDirectory() {
    if (chdir(previous_.c_str()) != 0) perror("chdir");
  }
  bool entered() const { return entered_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
  bool entered_ = false;
};

inline PositionRecord statsRecord(uint64_t key, uint32_t w, uint32_t b, uint32_t d, int ply = 1,
                                  bool whiteToMove = true) {
  PositionRecord r{};
  r.key = key;
  r.stateByte = whiteToMove ? RecordWhiteToMove : 0;
  r.plyByte = saturatePly(ply);
  r.whiteWins = w;
  r.blackWins = b;
  r.draws = d;
  return r;
}

inline void writeDatabaseFile(const std::string& path, const std::vector<PositionRecord>& records,
                              const std::string& trailing = "") {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const PositionRecord& r : records) {
    uint8_t bytes[PositionRecordBytes];
    packRecord(r, bytes);
    out.write(reinterpret_cast<const char*>(bytes), PositionRecordBytes);
  }
  out << trailing;
}

inline void writeTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline bool fileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
