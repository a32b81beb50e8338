// Opening books: per side to move, a sorted set of position keys.
#pragma once

#include <cstdint>

#include "core/types.h"

constexpr int BookBuckets = 131072;  // top 17 bits of the key
constexpr int BookIndexBytes = BookBuckets * 4;
constexpr int BookRecordBytes = 6;
constexpr int BookBucketShift = 47;    // key >> 47 is the bucket
constexpr int BookBaseNameChars = 20;  // longest base name used for the paths
constexpr int BookMessageBytes = 256;  // size of every message buffer passed in
constexpr int BookWriteBufferRecords = 8192;

class BookFile {
 public:
  BookFile();
  ~BookFile();
  BookFile(const BookFile&) = delete;
  BookFile& operator=(const BookFile&) = delete;

  // Reading
  // Loads the ".mbx" index and opens the ".mbk" data file.
  bool open(const char* baseName, char* message);
  bool contains(uint64_t key);
  int64_t recordCount() const { return recordCount_; }
  // Records read from the data file since it was opened (probe cost, for tests).
  uint64_t recordReads() const { return recordReads_; }

  // Writing: create, append keys in ascending order, finish.
  bool create(const char* baseName, char* message);
  // False when the record could not be written; finish then reports it.
  bool append(uint64_t key);
  bool finish(char* message);
  // Closes whatever is open; the book then behaves as empty.
  void close();

 private:
  bool readRecord(int64_t ordinal, uint32_t& low, uint16_t& high);
  bool flushWrites();

  uint32_t index_[BookBuckets];
  int indexFd_;
  int dataFd_;
  uint32_t lastLow_;
  uint16_t lastHigh_;
  uint64_t readPosition_;
  int64_t recordCount_;
  uint32_t written_;
  char indexPath_[32];
  char dataPath_[32];
  uint64_t recordReads_;
  bool writeFailed_;
  int pendingRecords_;
  uint8_t writeBuffer_[BookWriteBufferRecords * BookRecordBytes];
};

class OpeningBook {
 public:
  char message[256];
  BookFile books[2];  // [side to move]: 0 "bookbtm", 1 "bookwtm"

  // Opens "bookbtm" then, only if that worked, "bookwtm".
  bool open();
  bool contains(Side side, uint64_t key) { return books[side].contains(key); }
};

extern OpeningBook Book;

// The book is asked while the game is younger than this many plies.
constexpr int BookPlyLimit = 64;

// A move leading into the opponent's book, chosen by the clock; 0 if none.
Move chooseBookMove();
// The same choice with the random value given: candidate r mod n.
Move chooseBookMoveWith(uint32_t r);
