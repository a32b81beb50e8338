// Buffered byte input for the converters: a file or an in-memory text read
// through one own buffer, with peeking and a short put-back.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

class TextInput {
 public:
  // Bytes that can always be put back after reading them.
  static constexpr size_t PutBackLimit = 64;

  TextInput();
  ~TextInput();
  TextInput(const TextInput&) = delete;
  TextInput& operator=(const TextInput&) = delete;

  // Sources
  // Opens a regular file for reading (a UTF-8 byte-order mark at its start
  // is passed over); false when it cannot be opened or is no regular file
  // (then *notRegular is true, when given).
  bool open(const char* path, bool* notRegular = nullptr);
  // Reads from a copy of `text` (tests).
  void openText(const std::string& text);
  void close();
  bool isOpen() const { return file_ != nullptr || memory_; }

  // Reading
  // Next byte (0..255), or EOF at the end; reading the end marks the input ended.
  int get() {
    if (pos_ == end_ && !refill()) {
      ended_ = true;
      return EOF;
    }
    return buffer_[pos_++];
  }
  // Next byte without consuming it, or EOF.
  int peek() {
    if (pos_ == end_ && !refill()) return EOF;
    return buffer_[pos_];
  }
  // Steps back over the last `count` bytes read (at most PutBackLimit); call
  // it only after reads that returned bytes.
  void putBack(size_t count = 1);
  // Passes over blanks, tabs, line ends and the other white-space bytes.
  void skipWhitespace();
  // True until a read has met the end of the input or a read error.
  bool good() const { return !ended_; }
  // True when a read of the file failed (not the end).
  bool readError() const { return readError_; }

 private:
  bool refill();

  std::FILE* file_ = nullptr;
  bool memory_ = false;
  std::unique_ptr<unsigned char[]> buffer_;
  size_t capacity_ = 0;
  size_t begin_ = 0;  // first byte that may be put back
  size_t pos_ = 0;
  size_t end_ = 0;
  bool ended_ = false;
  bool readError_ = false;
};
