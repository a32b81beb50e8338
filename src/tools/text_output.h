// Buffered file output for the converters: bytes collect in an own buffer and
// reach the file in large writes; every failure is remembered for close().
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

class TextOutput {
 public:
  TextOutput();
  ~TextOutput();
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  // Opens `path` with an fopen mode ("wb" empties, "ab" appends); false on failure.
  bool open(const char* path, const char* mode);
  bool isOpen() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }

  void write(const char* bytes, size_t count) {
    if (count > capacity_ - used_) {
      flush();
      if (count > capacity_) {
        writeThrough(bytes, count);
        return;
      }
    }
    std::memcpy(buffer_.get() + used_, bytes, count);
    used_ += count;
  }
  void write(const char* text);
  void put(char c) {
    if (used_ == capacity_) {
      flush();
      if (capacity_ == 0) return;  // not open
    }
    buffer_[used_++] = c;
  }
  // Writes what is buffered; false once any write has failed.
  bool flush();
  // Flushes and closes; false when any write or the close failed.
  bool close();
  // True while no write has failed.
  bool ok() const { return !failed_; }

 private:
  void writeThrough(const char* bytes, size_t count);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  size_t used_ = 0;
  bool failed_ = false;
};
