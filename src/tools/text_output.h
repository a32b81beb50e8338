// Buffered file output for the converters: bytes collect in an own buffer and
// reach a temporary file beside the output in large writes; every failure is
// remembered for close(), and only commit() puts the output in place.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "core/replacement_file.h"

class TextOutput {
 public:
  TextOutput();
  ~TextOutput();
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  // Starts the new contents of `path` in a temporary beside it: empty, or
  // with `append` a copy of the file's bytes to add to. False on failure
  // (the file untouched); note() says why.
  bool open(const char* path, bool append);
  bool isOpen() const { return capacity_ != 0; }
  const std::string& path() const { return path_; }
  const char* note() const { return file_.note(); }
  // True when the file existed before open().
  bool existed() const { return file_.targetExisted(); }
  // True once anything has been written since open().
  bool wroteAny() const { return wrote_; }

  void write(const char* bytes, size_t count) {
    wrote_ = wrote_ || count > 0;
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
    wrote_ = true;
    buffer_[used_++] = c;
  }
  // Writes what is buffered; false once any write has failed.
  bool flush();
  // Flushes and closes the temporary; false when any write, the sync or the
  // close failed. The file is still as it was.
  bool close();
  // Puts the closed output in place of the file; false when that failed.
  bool commit() { return file_.commit(); }
  // Drops the output: the file stays as it was.
  void discard();
  // True while no write has failed.
  bool ok() const { return !failed_; }

 private:
  void writeThrough(const char* bytes, size_t count);

  ReplacementFile file_;
  std::string path_;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  size_t used_ = 0;
  bool failed_ = false;
  bool wrote_ = false;
};
