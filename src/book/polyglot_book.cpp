#include "book/polyglot_book.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "book/opening_book.h"
#include "core/file_io.h"
#include "core/replacement_file.h"

namespace {

constexpr size_t WriteChunkEntries = 4096;

}  // namespace

PolyglotBook::~PolyglotBook() { close(); }

void PolyglotBook::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  entryCount_ = 0;
  path_.clear();
}

bool PolyglotBook::open(const char* path, char* message) {
  close();
  // A FIFO or device is refused, never waited on: the open cannot block.
  bool notRegular = false;
  const int fd = openRegularFile(path, &notRegular);
  struct stat status;
  if (fd < 0 || fstat(fd, &status) != 0) {
    snprintf(message, BookMessageBytes,
             notRegular ? "Not a book file: '%s'\n" : "Cannot open book file: '%s'\n", path);
    if (fd >= 0) ::close(fd);
    return false;
  }
  fd_ = fd;
  entryCount_ = status.st_size / PolyglotEntryBytes;
  path_ = path;
  return true;
}

bool PolyglotBook::readEntry(int64_t ordinal, PolyglotEntry& entry) const {
  uint8_t raw[PolyglotEntryBytes];
  if (!readExactAt(fd_, raw, sizeof raw, static_cast<off_t>(ordinal) * PolyglotEntryBytes))
    return false;
  entry = decodePolyglotEntry(raw);
  return true;
}

int PolyglotBook::entriesOf(uint64_t key, PolyglotEntry* out, int capacity) const {
  if (fd_ < 0 || entryCount_ <= 0) return 0;
  // The first entry whose key is not below the one asked for.
  int64_t low = 0;
  int64_t high = entryCount_;
  PolyglotEntry entry;
  while (low < high) {
    const int64_t middle = low + (high - low) / 2;
    if (!readEntry(middle, entry)) return 0;
    if (entry.key < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  int count = 0;
  for (int64_t i = low; i < entryCount_ && count < capacity; ++i) {
    if (!readEntry(i, entry) || entry.key != key) break;
    out[count++] = entry;
  }
  return count;
}

bool writePolyglotBook(const char* path, std::vector<PolyglotEntry>& entries, char* message) {
  std::sort(entries.begin(), entries.end(), [](const PolyglotEntry& a, const PolyglotEntry& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.weight != b.weight) return a.weight > b.weight;
    return a.move < b.move;
  });
  ReplacementFile file;
  if (!file.begin(path)) {
    snprintf(message, BookMessageBytes, "Cannot create file: '%s'%s\n", path, file.note());
    return false;
  }
  std::vector<uint8_t> chunk(WriteChunkEntries * PolyglotEntryBytes);
  for (size_t first = 0; first < entries.size(); first += WriteChunkEntries) {
    const size_t count = std::min(WriteChunkEntries, entries.size() - first);
    for (size_t i = 0; i < count; ++i) {
      encodePolyglotEntry(entries[first + i], chunk.data() + i * PolyglotEntryBytes);
    }
    if (!writeAll(file.fd(), chunk.data(), count * PolyglotEntryBytes)) {
      file.fail();
      break;
    }
  }
  if (!file.finishWriting()) {
    snprintf(message, BookMessageBytes, "Cannot write file: '%s'\n", path);
    return false;
  }
  if (!file.commit()) {
    snprintf(message, BookMessageBytes, "Cannot replace file: '%s'\n", path);
    return false;
  }
  return true;
}
