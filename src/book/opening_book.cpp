#include "book/opening_book.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "core/clock.h"
#include "core/make_move.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

OpeningBook Book;

namespace {

constexpr uint32_t LowKeyMask = 0xFFFFFFFFu;
constexpr uint16_t HighKeyMask = 0x7FFF;  // key bits 32-46
constexpr mode_t NewFileMode = 0644;

uint32_t lowBits(uint64_t key) { return static_cast<uint32_t>(key & LowKeyMask); }
uint16_t highBits(uint64_t key) { return static_cast<uint16_t>((key >> 32) & HighKeyMask); }

void storeLittle32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t loadLittle32(const uint8_t* in) {
  return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

// Base name cut to its first characters, then the extension.
void formPath(char* out, size_t size, const char* baseName, const char* extension) {
  snprintf(out, size, "%.*s%s", BookBaseNameChars, baseName, extension);
}

// Reads exactly `size` bytes at `offset`; false on an error or a short read.
bool readExactAt(int fd, void* buffer, size_t size, off_t offset) {
  auto* at = static_cast<uint8_t*>(buffer);
  while (size > 0) {
    ssize_t got = pread(fd, at, size, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    offset += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool writeAll(int fd, const void* buffer, size_t size) {
  const auto* at = static_cast<const uint8_t*>(buffer);
  while (size > 0) {
    ssize_t put = write(fd, at, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    at += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

BookFile::BookFile()
    : index_{},
      indexFd_(-1),
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
  if (indexFd_ >= 0) ::close(indexFd_);
  if (dataFd_ >= 0) ::close(dataFd_);
  indexFd_ = -1;
  dataFd_ = -1;
  recordCount_ = 0;
  readPosition_ = 0;
  pendingRecords_ = 0;
}

bool BookFile::open(const char* baseName, char* message) {
  close();
  lastLow_ = 0;
  lastHigh_ = 0;
  readPosition_ = 0;
  recordCount_ = 0;
  recordReads_ = 0;

  formPath(indexPath_, sizeof indexPath_, baseName, ".mbx");
  std::fill(std::begin(index_), std::end(index_), 0u);
  indexFd_ = ::open(indexPath_, O_RDONLY);
  if (indexFd_ < 0) {
    snprintf(message, BookMessageBytes, "Cannot load file: '%s'\n", indexPath_);
    return false;
  }
  struct stat status;
  bool loaded = false;
  if (fstat(indexFd_, &status) != 0) {
    snprintf(message, BookMessageBytes, "Cannot get file statistics: '%s'.\n", indexPath_);
  } else {
    static uint8_t raw[BookIndexBytes];
    if (status.st_size != BookIndexBytes || !readExactAt(indexFd_, raw, BookIndexBytes, 0)) {
      snprintf(message, BookMessageBytes, "Wrong file format '%s'.\n", indexPath_);
    } else {
      for (int b = 0; b < BookBuckets; ++b) index_[b] = loadLittle32(raw + 4 * b);
      loaded = true;
    }
  }
  ::close(indexFd_);
  indexFd_ = -1;
  if (!loaded) {
    std::fill(std::begin(index_), std::end(index_), 0u);
    return false;
  }

  formPath(dataPath_, sizeof dataPath_, baseName, ".mbk");
  dataFd_ = ::open(dataPath_, O_RDONLY);
  if (dataFd_ < 0) {
    snprintf(message, BookMessageBytes, "Cannot open file: '%s'\n", dataPath_);
    return false;
  }
  if (fstat(dataFd_, &status) != 0) {
    snprintf(message, BookMessageBytes, "Cannot get file statistics: '%s'.\n", dataPath_);
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
  formPath(indexPath_, sizeof indexPath_, baseName, ".mbx");
  formPath(dataPath_, sizeof dataPath_, baseName, ".mbk");
  std::fill(std::begin(index_), std::end(index_), 0u);
  written_ = 0;
  writeFailed_ = false;
  pendingRecords_ = 0;
  readPosition_ = 0;
  indexFd_ = ::open(indexPath_, O_WRONLY | O_CREAT, NewFileMode);
  if (indexFd_ < 0) {
    snprintf(message, BookMessageBytes, "Cannot create index file: '%s'\n", indexPath_);
    return false;
  }
  // The data file is overwritten from its start, not truncated: bytes of an
  // older, longer file stay behind the new records, where no index entry leads.
  dataFd_ = ::open(dataPath_, O_WRONLY | O_CREAT, NewFileMode);
  if (dataFd_ < 0) {
    snprintf(message, BookMessageBytes, "Cannot create file: '%s'\n", dataPath_);
    close();
    return false;
  }
  return true;
}

bool BookFile::flushWrites() {
  if (pendingRecords_ == 0) return !writeFailed_;
  if (!writeFailed_ &&
      !writeAll(dataFd_, writeBuffer_, static_cast<size_t>(pendingRecords_) * BookRecordBytes)) {
    writeFailed_ = true;
  }
  pendingRecords_ = 0;
  return !writeFailed_;
}

bool BookFile::append(uint64_t key) {
  if (dataFd_ < 0 || writeFailed_) return false;
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

bool BookFile::finish(char* message) {
  if (indexFd_ < 0 || dataFd_ < 0) {
    snprintf(message, BookMessageBytes, "Writing indexes file error!\n");
    close();
    return false;
  }
  // 1. The data file: its last records, then its close, both checked.
  bool dataWritten = flushWrites();
  if (::close(dataFd_) != 0) dataWritten = false;
  dataFd_ = -1;
  if (!dataWritten) {
    snprintf(message, BookMessageBytes, "Cannot write file: '%s'\n", dataPath_);
    close();
    return false;
  }
  // 2. Empty buckets take the end of the bucket before them, so the table
  //    never decreases.
  for (int b = 1; b < BookBuckets; ++b) {
    if (index_[b] < index_[b - 1]) index_[b] = index_[b - 1];
  }
  // 3. The whole table at once; an older file of another size is cut to it,
  //    or the next open would reject it.
  static uint8_t raw[BookIndexBytes];
  for (int b = 0; b < BookBuckets; ++b) storeLittle32(raw + 4 * b, index_[b]);
  bool indexWritten =
      writeAll(indexFd_, raw, BookIndexBytes) && ftruncate(indexFd_, BookIndexBytes) == 0;
  if (::close(indexFd_) != 0) indexWritten = false;
  indexFd_ = -1;
  if (!indexWritten) {
    snprintf(message, BookMessageBytes, "Writing indexes file error!\n");
    return false;
  }
  return true;
}

bool OpeningBook::open() {
  return books[Black].open("bookbtm", message) && books[White].open("bookwtm", message);
}

Move chooseBookMoveWith(uint32_t r) {
  // 1. Nothing to find when the opponent's book is empty.
  const Side side = Pos.side;
  if (Book.books[side ^ 1].recordCount() <= 0) return 0;

  // 2. Every pseudo-legal move (evasions when in check).
  CheckInfo info;
  computeCheckInfo(info);
  MoveEntry moves[MaxMovesPerPosition];
  MoveEntry* end = generateMoves(moves, info);
  if (end == moves) return 0;

  // 3. Keep the moves whose position is in the book of the side then to move.
  //    Reaching a book position is the only test a move needs.
  static PlyState record;
  Move candidates[MaxMovesPerPosition];
  int count = 0;
  savePlyState(record);
  for (MoveEntry* entry = end; entry != moves;) {
    --entry;
    makeMove(entry->move, record);
    if (Book.contains(Pos.side, Pos.key)) candidates[count++] = entry->move;
    unmakeMove(entry->move, record);
  }

  // 4. All candidates weigh the same.
  if (count == 0) return 0;
  return candidates[r % static_cast<uint32_t>(count)];
}

Move chooseBookMove() { return chooseBookMoveWith(static_cast<uint32_t>(clockMs())); }
