// Opening books: per side to move, a sorted set of position keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/replacement_file.h"
#include "core/types.h"

constexpr int BookBuckets = 131072;  // top 17 bits of the key
constexpr int BookIndexBytes = BookBuckets * 4;
constexpr int BookRecordBytes = 6;
constexpr int BookBucketShift = 47;    // key >> 47 is the bucket
constexpr int BookBaseNameChars = 20;  // longest base name used for the paths
constexpr int BookMessageBytes = 256;  // size of every message buffer passed in
constexpr int BookWriteBufferRecords = 8192;
constexpr int BookPathBytes = 4096;  // directory, base name and extension
// Where the default book of a build or an installation lies, relative to the
// directory of the executable: bin/../share/veltor once installed,
// share/veltor in the build tree.
constexpr const char* DefaultBookDirectories[] = {"share/veltor", "../share/veltor"};
// Names a directory to take the default book from instead; set but empty,
// no default book is used.
constexpr const char* DefaultBookVariable = "VELTOR_BOOK_DIR";

class BookFile {
 public:
  BookFile();
  ~BookFile();
  BookFile(const BookFile&) = delete;
  BookFile& operator=(const BookFile&) = delete;

  // Reading
  // Loads the ".mbx" index and opens the ".mbk" data file, in the directory
  // given ("" is the current one).
  bool open(const char* baseName, char* message) { return open("", baseName, message); }
  bool open(const char* directory, const char* baseName, char* message);
  bool contains(uint64_t key);
  int64_t recordCount() const { return recordCount_; }
  // Records read from the data file since it was opened (probe cost, for tests).
  uint64_t recordReads() const { return recordReads_; }

  // Writing: create, append keys in ascending order, finishWriting, commit
  // (finish does both). The records go to temporary files beside the book
  // that commit renames into place, so a reader of the older book keeps
  // reading it, unchanged, until it opens the book again.
  bool create(const char* baseName, char* message);
  // False when the record could not be written; finishWriting then reports it.
  bool append(uint64_t key);
  // Writes the rest of the data and the index and closes both temporaries.
  bool finishWriting(char* message);
  // Puts both files in place, the data first.
  bool commit(char* message);
  bool finish(char* message) { return finishWriting(message) && commit(message); }
  // Closes whatever is open (an uncommitted write leaves no file); the book
  // then behaves as empty.
  void close();
  const char* dataPath() const { return dataPath_; }

 private:
  bool readRecord(int64_t ordinal, uint32_t& low, uint16_t& high);
  bool flushWrites();

  uint32_t index_[BookBuckets];
  int dataFd_;  // the data file while reading
  ReplacementFile indexOut_;
  ReplacementFile dataOut_;
  uint32_t lastLow_;
  uint16_t lastHigh_;
  uint64_t readPosition_;
  int64_t recordCount_;
  uint32_t written_;
  char indexPath_[BookPathBytes];
  char dataPath_[BookPathBytes];
  uint64_t recordReads_;
  bool writeFailed_;
  int pendingRecords_;
  uint8_t writeBuffer_[BookWriteBufferRecords * BookRecordBytes];
};

class OpeningBook {
 public:
  char message[256];
  BookFile books[2];  // [side to move]: 0 "bookbtm", 1 "bookwtm"

  // Opens "bookbtm" then, only if that worked, "bookwtm", in the directory
  // given ("" is the current one).
  bool open(const char* directory = "");
  bool contains(Side side, uint64_t key) { return books[side].contains(key); }
};

extern OpeningBook Book;

// The book is asked while the game is younger than this many plies.
constexpr int BookPlyLimit = 64;

// Opens the book of the current directory or, when it has none that opens,
// the default book of the build or installation (found from the executable's
// directory, or in $VELTOR_BOOK_DIR when that is set). The log names the book
// opened. False when none opened: Book.message then holds the current
// directory's failure and Book is as the current directory left it.
bool findAndOpenBooks();
// The directories the default book is looked for in, in order: the one
// $VELTOR_BOOK_DIR names (none when it is set but empty), else those beside
// the executable.
std::vector<std::string> defaultBookDirectories();
