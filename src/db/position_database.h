// Readers of the position-statistics database files, one per side to move.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/types.h"
#include "db/position_record.h"

constexpr int DatabaseMessageBytes = 256;

class PositionDatabase {
 public:
  PositionDatabase() = default;
  ~PositionDatabase() { close(); }
  PositionDatabase(const PositionDatabase&) = delete;
  PositionDatabase& operator=(const PositionDatabase&) = delete;

  // Opening
  // Opens an existing regular file for reading; false, with the message
  // filled, for a missing file or anything else.
  bool open(const char* path, char* message);
  void close();
  int64_t recordCount() const { return recordCount_; }

  // Lookups: the record returned stays valid until the next read.
  // Binary search starting from the current record; nullptr when absent.
  const PositionRecord* find(uint64_t key);
  // Scan from the start, printing a "Sort ERROR" line per record out of order.
  const PositionRecord* findLinear(uint64_t key);

  // Sequential reading
  bool rewind();
  // The next record in file order; nullptr at the end or on a read error.
  const PositionRecord* next();
  // A read failed before the end of the records.
  bool readFailed() const { return readFailed_; }
  // Records read since the file was opened (lookup cost, for tests).
  uint64_t recordReads() const { return recordReads_; }

 private:
  bool readAt(int64_t index);
  bool readNext();

  FILE* file_ = nullptr;
  PositionRecord current_{};
  uint64_t firstKey_ = 0;
  uint64_t lastKey_ = 0;
  uint64_t readPosition_ = 0;  // records from the start to the file position
  int64_t recordCount_ = 0;
  bool haveCurrent_ = false;
  bool readFailed_ = false;
  uint64_t recordReads_ = 0;
};

class DatabasePair {
 public:
  char message[DatabaseMessageBytes] = {};
  PositionDatabase databases[2];  // [side to move]: 0 Black, 1 White

  // Opens Black from its path first, then White only if that worked.
  bool open(const char* whitePath, const char* blackPath);
  void close();
  const PositionRecord* find(Side side, uint64_t key) { return databases[side].find(key); }
  const PositionRecord* findLinear(Side side, uint64_t key) {
    return databases[side].findLinear(key);
  }
};
