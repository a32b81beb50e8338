#include "book/opening_book.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/log.h"

OpeningBook Book;

namespace {

constexpr uint32_t LowKeyMask = 0xFFFFFFFFu;
constexpr uint16_t HighKeyMask = 0x7FFF;  // key bits 32-46

uint32_t lowBits(uint64_t key) { return static_cast<uint32_t>(key & LowKeyMask); }
uint16_t highBits(uint64_t key) { return static_cast<uint16_t>((key >> 32) & HighKeyMask); }

void storeLittle32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t loadLittle32(const uint8_t* in) {
  return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

// The directory (none: the current one), the base name cut to its first
// characters, then the extension.
void formPath(char* out, size_t size, const char* directory, const char* baseName,
              const char* extension) {
  const char* separator = directory[0] != '\0' ? "/" : "";
  snprintf(out, size, "%s%s%.*s%s", directory, separator, BookBaseNameChars, baseName, extension);
}

// Paths in messages are cut to fit the message buffer.
constexpr int MessagePathChars = 200;

}  // namespace

BookFile::BookFile()
    : index_{},
      dataFd_(-1),
      lastLow_(0),
      lastHigh_(0),
      readPosition_(0),
      recordCount_(0),
      written_(0),
      indexPath_{},
      dataPath_{},
      recordReads_(0),
      writeFailed_(false),
      pendingRecords_(0) {}

BookFile::~BookFile() { close(); }

void BookFile::close() {
  if (dataFd_ >= 0) ::close(dataFd_);
  dataFd_ = -1;
  indexOut_.discard();
  dataOut_.discard();
  recordCount_ = 0;
  readPosition_ = 0;
  pendingRecords_ = 0;
}

bool BookFile::open(const char* directory, const char* baseName, char* message) {
  close();
  lastLow_ = 0;
  lastHigh_ = 0;
  readPosition_ = 0;
  recordCount_ = 0;
  recordReads_ = 0;

  formPath(indexPath_, sizeof indexPath_, directory, baseName, ".mbx");
  std::fill(std::begin(index_), std::end(index_), 0u);
  // Neither file may make the engine wait: a FIFO or device is refused.
  bool notRegular = false;
  const int indexFd = openRegularFile(indexPath_, &notRegular);
  if (indexFd < 0) {
    snprintf(message, BookMessageBytes, "Cannot load file: '%.*s'%s\n", MessagePathChars,
             indexPath_, openFailureNote(notRegular));
    return false;
  }
  struct stat status;
  bool loaded = false;
  if (fstat(indexFd, &status) != 0) {
    snprintf(message, BookMessageBytes, "Cannot get file statistics: '%.*s'.\n", MessagePathChars,
             indexPath_);
  } else {
    static uint8_t raw[BookIndexBytes];
    if (status.st_size != BookIndexBytes || !readExactAt(indexFd, raw, BookIndexBytes, 0)) {
      snprintf(message, BookMessageBytes, "Wrong file format '%.*s'.\n", MessagePathChars,
               indexPath_);
    } else {
      for (int b = 0; b < BookBuckets; ++b) index_[b] = loadLittle32(raw + 4 * b);
      loaded = true;
    }
  }
  ::close(indexFd);
  if (!loaded) {
    std::fill(std::begin(index_), std::end(index_), 0u);
    return false;
  }

  formPath(dataPath_, sizeof dataPath_, directory, baseName, ".mbk");
  dataFd_ = openRegularFile(dataPath_, &notRegular);
  if (dataFd_ < 0) {
    snprintf(message, BookMessageBytes, "Cannot open file: '%.*s'%s\n", MessagePathChars, dataPath_,
             openFailureNote(notRegular));
    return false;
  }
  if (fstat(dataFd_, &status) != 0) {
    snprintf(message, BookMessageBytes, "Cannot get file statistics: '%.*s'.\n", MessagePathChars,
             dataPath_);
    close();
    return false;
  }
  // Trailing bytes short of a whole record are not part of the book.
  recordCount_ = status.st_size / BookRecordBytes;
  return true;
}

// The last record read is cached: a probe's search often ends on the record
// the previous probe of the same bucket read last.
bool BookFile::readRecord(int64_t ordinal, uint32_t& low, uint16_t& high) {
  if (readPosition_ != 0 && readPosition_ == static_cast<uint64_t>(ordinal) + 1) {
    low = lastLow_;
    high = lastHigh_;
    return true;
  }
  uint8_t raw[BookRecordBytes];
  ++recordReads_;
  if (!readExactAt(dataFd_, raw, sizeof raw, static_cast<off_t>(ordinal) * BookRecordBytes)) {
    readPosition_ = 0;
    return false;
  }
  low = loadLittle32(raw);
  high = static_cast<uint16_t>((raw[4] | raw[5] << 8) & HighKeyMask);
  lastLow_ = low;
  lastHigh_ = high;
  readPosition_ = static_cast<uint64_t>(ordinal) + 1;
  return true;
}

bool BookFile::contains(uint64_t key) {
  if (dataFd_ < 0 || recordCount_ <= 0) return false;
  // 1. The bucket's ordinals, clamped to the data file: an index that points
  //    past the records must not send a read beyond them.
  const uint32_t bucket = static_cast<uint32_t>(key >> BookBucketShift);
  int64_t start = bucket == 0 ? 0 : index_[bucket - 1];
  int64_t end = index_[bucket];
  start = std::min(start, recordCount_);
  end = std::min(end, recordCount_);
  // 2. An empty bucket costs no read.
  if (end == 0 || end <= start) return false;
  // 3. Binary search over the bucket, 15-bit field first, then the low 32 bits.
  const uint16_t wantHigh = highBits(key);
  const uint32_t wantLow = lowBits(key);
  int64_t low = start;
  int64_t high = end - 1;
  while (low <= high) {
    const int64_t middle = low + (high - low) / 2;
    uint32_t recordLow;
    uint16_t recordHigh;
    // A record that cannot be read matches nothing; the order below it is unknown.
    if (!readRecord(middle, recordLow, recordHigh)) return false;
    if (recordHigh == wantHigh && recordLow == wantLow) return true;
    if (recordHigh < wantHigh || (recordHigh == wantHigh && recordLow < wantLow)) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return false;
}

bool BookFile::create(const char* baseName, char* message) {
  close();
  formPath(indexPath_, sizeof indexPath_, "", baseName, ".mbx");
  formPath(dataPath_, sizeof dataPath_, "", baseName, ".mbk");
  std::fill(std::begin(index_), std::end(index_), 0u);
  written_ = 0;
  writeFailed_ = false;
  pendingRecords_ = 0;
  readPosition_ = 0;
  // Both files are written afresh beside the old ones: rewriting the book in
  // place would change it under an engine that reads it with the old index.
  if (!indexOut_.begin(indexPath_)) {
    snprintf(message, BookMessageBytes, "Cannot create index file: '%.*s'%s\n", MessagePathChars,
             indexPath_, indexOut_.note());
    close();
    return false;
  }
  if (!dataOut_.begin(dataPath_)) {
    snprintf(message, BookMessageBytes, "Cannot create file: '%.*s'%s\n", MessagePathChars,
             dataPath_, dataOut_.note());
    close();
    return false;
  }
  return true;
}

bool BookFile::flushWrites() {
  if (pendingRecords_ == 0) return !writeFailed_;
  if (!writeFailed_ && !writeAll(dataOut_.fd(), writeBuffer_,
                                 static_cast<size_t>(pendingRecords_) * BookRecordBytes)) {
    writeFailed_ = true;
  }
  pendingRecords_ = 0;
  return !writeFailed_;
}

bool BookFile::append(uint64_t key) {
  if (!dataOut_.active() || writeFailed_) return false;
  uint8_t* record = writeBuffer_ + pendingRecords_ * BookRecordBytes;
  storeLittle32(record, lowBits(key));
  const uint16_t high = highBits(key);
  record[4] = static_cast<uint8_t>(high);
  record[5] = static_cast<uint8_t>(high >> 8);
  ++pendingRecords_;
  // The entry of the bucket holds the 1-based ordinal of its last record so far.
  index_[key >> BookBucketShift] = ++written_;
  if (pendingRecords_ == BookWriteBufferRecords) return flushWrites();
  return true;
}

bool BookFile::finishWriting(char* message) {
  if (!indexOut_.active() || !dataOut_.active()) {
    snprintf(message, BookMessageBytes, "Writing indexes file error!\n");
    close();
    return false;
  }
  // 1. The data file: its last records, then its sync and close, all checked.
  if (!flushWrites()) dataOut_.fail();
  if (!dataOut_.finishWriting()) {
    snprintf(message, BookMessageBytes, "Cannot write file: '%.*s'\n", MessagePathChars, dataPath_);
    close();
    return false;
  }
  // 2. Empty buckets take the end of the bucket before them, so the table
  //    never decreases.
  for (int b = 1; b < BookBuckets; ++b) {
    if (index_[b] < index_[b - 1]) index_[b] = index_[b - 1];
  }
  // 3. The whole table at once.
  static uint8_t raw[BookIndexBytes];
  for (int b = 0; b < BookBuckets; ++b) storeLittle32(raw + 4 * b, index_[b]);
  if (!writeAll(indexOut_.fd(), raw, BookIndexBytes)) indexOut_.fail();
  if (!indexOut_.finishWriting()) {
    snprintf(message, BookMessageBytes, "Cannot write index file: '%.*s'\n", MessagePathChars,
             indexPath_);
    close();
    return false;
  }
  return true;
}

bool BookFile::commit(char* message) {
  // Both files into place, the data first. An engine that has the old book
  // open keeps reading the old files.
  const bool dataPlaced = dataOut_.commit();
  if (!dataPlaced || !indexOut_.commit()) {
    snprintf(message, BookMessageBytes, "Cannot replace file: '%.*s'\n", MessagePathChars,
             dataPlaced ? indexPath_ : dataPath_);
    close();
    return false;
  }
  return true;
}

bool OpeningBook::open(const char* directory) {
  return books[Black].open(directory, "bookbtm", message) &&
         books[White].open(directory, "bookwtm", message);
}

namespace {

// The directory of the running executable, or "" when it cannot be read.
std::string executableDirectory() {
  char path[BookPathBytes];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  path[length] = '\0';
  char* slash = std::strrchr(path, '/');
  if (slash == nullptr) return "";
  *slash = '\0';
  return path;
}

void logOpenedBook() {
  EngineLog << "-M: book opened: " << Book.books[Black].dataPath() << " ("
            << Book.books[Black].recordCount() << " positions), " << Book.books[White].dataPath()
            << " (" << Book.books[White].recordCount() << " positions)" << std::endl;
}

}  // namespace

std::vector<std::string> defaultBookDirectories() {
  std::vector<std::string> candidates;
  if (const char* chosen = std::getenv(DefaultBookVariable)) {
    if (chosen[0] != '\0') candidates.push_back(chosen);
  } else {
    const std::string home = executableDirectory();
    if (!home.empty()) {
      for (const char* relative : DefaultBookDirectories)
        candidates.push_back(home + "/" + relative);
    }
  }
  return candidates;
}

bool findAndOpenBooks() {
  if (Book.open("")) {
    logOpenedBook();
    return true;
  }
  char failure[BookMessageBytes];
  snprintf(failure, sizeof failure, "%s", Book.message);
  for (const std::string& directory : defaultBookDirectories()) {
    if (Book.open(directory.c_str())) {
      EngineLog << "-M: no book in the current directory: " << failure << std::flush;
      logOpenedBook();
      return true;
    }
  }
  // None: the current directory's books as they open, and its message.
  Book.open("");
  snprintf(Book.message, sizeof Book.message, "%s", failure);
  return false;
}
