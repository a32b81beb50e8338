#include "db/position_database.h"

#include <sys/stat.h>

#include <algorithm>
#include <cinttypes>

#include "core/file_io.h"
#include "core/types.h"

void PositionDatabase::close() {
  if (file_) fclose(file_);  // read-only: nothing to lose on close
  file_ = nullptr;
  recordCount_ = 0;
  readPosition_ = 0;
  haveCurrent_ = false;
}

bool PositionDatabase::open(const char* path, char* message) {
  // 1. An existing regular file only: a missing one is no empty database
  //    (nothing is created), and a FIFO or device is refused, never waited on.
  close();
  current_ = PositionRecord{};
  firstKey_ = lastKey_ = 0;
  readFailed_ = false;
  recordReads_ = 0;
  bool notRegular = false;
  file_ = openRegularStream(path, &notRegular);
  struct stat status;
  if (!file_ || fstat(fileno(file_), &status) != 0) {
    snprintf(message, DatabaseMessageBytes, "Cannot open file: %s%s\n", path,
             openFailureNote(notRegular));
    close();
    return false;
  }
  // 2. Whole records only; trailing bytes are ignored.
  recordCount_ = static_cast<int64_t>(status.st_size) / PositionRecordBytes;
  if (recordCount_ <= 0) return true;
  // 3. The first and last keys bound every lookup; the middle record is
  //    where the first binary search starts.
  bool read = readAt(0);
  firstKey_ = current_.key;
  read = read && readAt(recordCount_ - 1);
  lastKey_ = current_.key;
  // For a single record the middle index would lie past the end.
  read = read && readAt(std::min(recordCount_ - recordCount_ / 2, recordCount_ - 1));
  if (!read) {
    snprintf(message, DatabaseMessageBytes, "Cannot read file: %s\n", path);
    close();
    return false;
  }
  return true;
}

bool PositionDatabase::readNext() {
  uint8_t bytes[PositionRecordBytes];
  ++recordReads_;
  if (fread(bytes, PositionRecordBytes, 1, file_) != 1) {
    readFailed_ = ferror(file_) != 0;
    clearerr(file_);
    // The file position is unknown after a short read: seek before the next one.
    readPosition_ = UINT64_MAX;
    return false;
  }
  unpackRecord(bytes, current_);
  ++readPosition_;
  haveCurrent_ = true;
  return true;
}

bool PositionDatabase::readAt(int64_t index) {
  if (!file_ || index < 0 || index >= recordCount_) return false;
  if (readPosition_ != static_cast<uint64_t>(index)) {
    if (fseeko(file_, static_cast<off_t>(index) * PositionRecordBytes, SEEK_SET) != 0) {
      readFailed_ = true;
      return false;
    }
    readPosition_ = static_cast<uint64_t>(index);
  }
  return readNext();
}

const PositionRecord* PositionDatabase::find(uint64_t key) {
  // 1. Keys outside the file's range cost no read.
  if (!file_ || recordCount_ <= 0 || !haveCurrent_) return nullptr;
  if (key > lastKey_ || key < firstKey_) return nullptr;
  // 2. The current record may already be the one.
  if (current_.key == key) return &current_;
  // 3. Halve the side of the current record that can hold the key.
  int64_t low = 0;
  int64_t high = recordCount_ - 1;
  const int64_t currentIndex = static_cast<int64_t>(readPosition_) - 1;
  if (readPosition_ != UINT64_MAX && currentIndex >= 0 && currentIndex < recordCount_) {
    if (current_.key > key) {
      high = currentIndex - 1;
    } else {
      low = currentIndex + 1;
    }
  }
  while (low <= high) {
    const int64_t middle = low + (high - low) / 2;
    if (!readAt(middle)) return nullptr;
    if (current_.key == key) return &current_;
    if (current_.key > key) {
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return nullptr;
}

const PositionRecord* PositionDatabase::findLinear(uint64_t key) {
  if (!rewind()) return nullptr;
  uint64_t previous = 0;
  while (const PositionRecord* record = next()) {
    // The previous key starts at 0, so a first record with key 0 is reported too.
    if (previous >= record->key) {
      printf("Sort ERROR: current: %" PRIX64 ", prev: %" PRIX64 "\n", record->key, previous);
    }
    if (record->key == key) return record;
    if (record->key > key) return nullptr;
    previous = record->key;
  }
  return nullptr;
}

bool PositionDatabase::rewind() {
  if (!file_) return false;
  if (fseeko(file_, 0, SEEK_SET) != 0) {
    readFailed_ = true;
    return false;
  }
  readPosition_ = 0;
  return true;
}

const PositionRecord* PositionDatabase::next() {
  if (!file_ || readPosition_ == UINT64_MAX ||
      static_cast<int64_t>(readPosition_) >= recordCount_) {
    return nullptr;
  }
  return readNext() ? &current_ : nullptr;
}

bool DatabasePair::open(const char* whitePath, const char* blackPath) {
  return databases[Black].open(blackPath, message) && databases[White].open(whitePath, message);
}

void DatabasePair::close() {
  databases[Black].close();
  databases[White].close();
}
