// Reading and writing .bin opening books: 16-byte entries sorted by key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book/polyglot_entry.h"

// Most entries one position can yield; more are not read.
constexpr int PolyglotMaxEntriesPerKey = 256;

class PolyglotBook {
 public:
  PolyglotBook() = default;
  ~PolyglotBook();
  PolyglotBook(const PolyglotBook&) = delete;
  PolyglotBook& operator=(const PolyglotBook&) = delete;

  // Opens the file for reading by key; a file of another size than a whole
  // number of entries loses its torn tail. False with a message on failure.
  bool open(const char* path, char* message);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  int64_t entryCount() const { return entryCount_; }

  // Copies the entries of the key (at most `capacity`) and returns their number;
  // a read error ends the list there.
  int entriesOf(uint64_t key, PolyglotEntry* out, int capacity) const;

 private:
  bool readEntry(int64_t ordinal, PolyglotEntry& entry) const;

  int fd_ = -1;
  int64_t entryCount_ = 0;
  std::string path_;
};

// Writes the entries, sorted by key (then by weight, heaviest first), to a
// temporary file beside `path` and renames it into place, so a reader of an
// older file keeps reading that file (a symbolic link is written through;
// a directory, device or FIFO is refused). False with a message on failure.
bool writePolyglotBook(const char* path, std::vector<PolyglotEntry>& entries, char* message);
