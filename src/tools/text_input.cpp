#include "tools/text_input.h"

#include <cstring>

#include "core/file_io.h"

namespace {
constexpr size_t ChunkSize = size_t{1} << 16;
constexpr unsigned char ByteOrderMark[3] = {0xEF, 0xBB, 0xBF};
}  // namespace

TextInput::TextInput() = default;

TextInput::~TextInput() { close(); }

bool TextInput::open(const char* path, bool* notRegular) {
  close();
  file_ = openRegularStream(path, notRegular);
  if (file_ == nullptr) return false;
  capacity_ = PutBackLimit + ChunkSize;
  buffer_ = std::make_unique<unsigned char[]>(capacity_);
  begin_ = pos_ = end_ = PutBackLimit;
  if (peek() == ByteOrderMark[0] && end_ - pos_ >= sizeof ByteOrderMark &&
      std::memcmp(buffer_.get() + pos_, ByteOrderMark, sizeof ByteOrderMark) == 0) {
    pos_ += sizeof ByteOrderMark;
    begin_ = pos_;
  }
  return true;
}

void TextInput::openText(const std::string& text) {
  close();
  memory_ = true;
  capacity_ = PutBackLimit + text.size();
  buffer_ = std::make_unique<unsigned char[]>(capacity_);
  std::memcpy(buffer_.get() + PutBackLimit, text.data(), text.size());
  begin_ = pos_ = PutBackLimit;
  end_ = capacity_;
}

void TextInput::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  memory_ = false;
  buffer_.reset();
  capacity_ = begin_ = pos_ = end_ = 0;
  ended_ = false;
  readError_ = false;
}

void TextInput::putBack(size_t count) {
  // The refill keeps the last PutBackLimit bytes in front of the new chunk.
  if (count > pos_ - begin_) count = pos_ - begin_;
  pos_ -= count;
  if (count > 0) ended_ = false;
}

void TextInput::skipWhitespace() {
  for (;;) {
    const int c = peek();
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') return;
    ++pos_;
  }
}

bool TextInput::refill() {
  if (file_ == nullptr) return false;
  // Keep the tail of what was read so that it can be put back.
  const size_t keep = end_ - begin_ < PutBackLimit ? end_ - begin_ : PutBackLimit;
  std::memmove(buffer_.get() + PutBackLimit - keep, buffer_.get() + end_ - keep, keep);
  begin_ = PutBackLimit - keep;
  const size_t got = std::fread(buffer_.get() + PutBackLimit, 1, ChunkSize, file_);
  if (got == 0 && std::ferror(file_)) readError_ = true;
  pos_ = PutBackLimit;
  end_ = PutBackLimit + got;
  return got > 0;
}
