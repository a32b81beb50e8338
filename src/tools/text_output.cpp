#include "tools/text_output.h"

#include <cstring>

#include "core/file_io.h"

namespace {
constexpr size_t BufferSize = size_t{1} << 16;
}  // namespace

TextOutput::TextOutput() = default;

TextOutput::~TextOutput() { discard(); }

bool TextOutput::open(const char* path, bool append) {
  discard();
  path_ = path;
  failed_ = false;
  wrote_ = false;
  if (!file_.begin(path, append)) return false;
  if (!buffer_) buffer_ = std::make_unique<char[]>(BufferSize);
  capacity_ = BufferSize;
  used_ = 0;
  return true;
}

void TextOutput::write(const char* text) { write(text, std::strlen(text)); }

void TextOutput::writeThrough(const char* bytes, size_t count) {
  if (!file_.active() || failed_) return;
  if (!writeAll(file_.fd(), bytes, count)) failed_ = true;
}

bool TextOutput::flush() {
  if (used_ > 0) {
    writeThrough(buffer_.get(), used_);
    used_ = 0;
  }
  return !failed_;
}

bool TextOutput::close() {
  if (capacity_ == 0) return !failed_;
  flush();
  if (failed_) file_.fail();
  if (!file_.finishWriting()) failed_ = true;
  capacity_ = 0;
  return !failed_;
}

void TextOutput::discard() {
  file_.discard();
  capacity_ = 0;
  used_ = 0;
}
