#include "tools/text_output.h"

#include <cstring>

namespace {
constexpr size_t BufferSize = size_t{1} << 16;
}  // namespace

TextOutput::TextOutput() = default;

TextOutput::~TextOutput() { close(); }

bool TextOutput::open(const char* path, const char* mode) {
  close();
  file_ = std::fopen(path, mode);
  if (file_ == nullptr) return false;
  path_ = path;
  // The own buffer replaces the stream's.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  if (!buffer_) buffer_ = std::make_unique<char[]>(BufferSize);
  capacity_ = BufferSize;
  used_ = 0;
  failed_ = false;
  return true;
}

void TextOutput::write(const char* text) { write(text, std::strlen(text)); }

void TextOutput::writeThrough(const char* bytes, size_t count) {
  if (file_ == nullptr || failed_) return;
  if (std::fwrite(bytes, 1, count, file_) != count) failed_ = true;
}

bool TextOutput::flush() {
  if (used_ > 0) {
    writeThrough(buffer_.get(), used_);
    used_ = 0;
  }
  return !failed_;
}

bool TextOutput::close() {
  if (file_ == nullptr) return !failed_;
  flush();
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  capacity_ = 0;
  return !failed_;
}
