// Standard input through an own buffer over a file descriptor.
//
// The search polls the descriptor for pending commands; bytes already pulled
// into a stdio buffer would be invisible to that poll, so the loop never uses
// stdio for input. Every read() result lands here and is handed out word by
// word or line by line. No word or line can run past the caller's buffer:
// the excess is consumed and dropped.
#include "core/input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

constexpr size_t InputBufferSize = 4096;
// Longest text readInt looks at; a longer word is no number.
constexpr size_t MaxNumberLength = 24;

struct InputState {
  char data[InputBufferSize];
  size_t start = 0;  // first unread byte
  size_t end = 0;    // one past the last byte read
  int fd = 0;
  bool ended = false;
};

InputState In;

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Appends whatever read() delivers behind the unread bytes, moving them to the
// front of the buffer first when the tail is full. False at the end of input
// (or when the buffer holds InputBufferSize unread bytes already).
bool fillMore() {
  if (In.ended) return false;
  if (In.start > 0 && In.end == InputBufferSize) {
    std::memmove(In.data, In.data + In.start, In.end - In.start);
    In.end -= In.start;
    In.start = 0;
  }
  if (In.end == InputBufferSize) return false;
  for (;;) {
    ssize_t got = read(In.fd, In.data + In.end, InputBufferSize - In.end);
    if (got > 0) {
      In.end += static_cast<size_t>(got);
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    In.ended = true;  // 0 bytes: the writer closed the pipe; errors end input too
    return false;
  }
}

// The next unread byte, reading when none is buffered; -1 at the end of input.
int peekByte() {
  if (In.start == In.end) {
    In.start = In.end = 0;
    if (!fillMore()) return -1;
  }
  return static_cast<unsigned char>(In.data[In.start]);
}

// Skips separators; false when the input ends before a word starts.
bool skipSeparators() {
  for (;;) {
    int c = peekByte();
    if (c < 0) return false;
    if (!isSeparator(static_cast<char>(c))) return true;
    ++In.start;
  }
}

}  // namespace

bool readWord(char* buffer, size_t capacity) {
  if (capacity > 0) buffer[0] = '\0';
  if (!skipSeparators()) return false;
  size_t kept = 0;
  for (;;) {
    int c = peekByte();
    if (c < 0 || isSeparator(static_cast<char>(c))) break;
    if (kept + 1 < capacity) buffer[kept++] = static_cast<char>(c);
    ++In.start;
  }
  if (capacity > 0) buffer[kept] = '\0';
  return true;
}

bool readRestOfLine(char* buffer, size_t capacity) {
  if (capacity > 0) buffer[0] = '\0';
  if (peekByte() < 0) return false;
  size_t kept = 0;
  for (;;) {
    int c = peekByte();
    if (c < 0) break;
    if (kept + 1 < capacity) buffer[kept++] = static_cast<char>(c);
    ++In.start;
    if (c == '\n') break;
  }
  if (capacity > 0) buffer[kept] = '\0';
  return true;
}

bool readInt(int& value) {
  if (!skipSeparators()) return false;
  // The whole word must be in the buffer so that it can stay unread when it
  // is not a number. A number is short; anything longer is not one.
  size_t length = 0;
  for (;;) {
    while (In.start + length >= In.end) {
      if (!fillMore()) break;
    }
    if (In.start + length >= In.end) break;  // the input ends inside the word
    if (isSeparator(In.data[In.start + length])) break;
    if (++length > MaxNumberLength) return false;
  }
  const char* text = In.data + In.start;
  size_t i = 0;
  bool negative = false;
  if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == length) return false;
  long long number = 0;
  for (; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    number = number * 10 + (text[i] - '0');
    if (number > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) number = -number;
  if (number > INT_MAX || number < INT_MIN) return false;
  value = static_cast<int>(number);
  In.start += length;
  return true;
}

namespace {

// True when read() would return at once (data, end of input or an error).
bool descriptorReady() {
  pollfd request{In.fd, POLLIN, 0};
  return poll(&request, 1, 0) > 0;
}

}  // namespace

bool peekWord(char* buffer, size_t capacity) {
  if (capacity > 0) buffer[0] = '\0';
  // 1. The first byte of the word, reading only what has arrived.
  for (;;) {
    while (In.start < In.end && isSeparator(In.data[In.start])) ++In.start;
    if (In.start < In.end) break;
    if (In.ended || !descriptorReady()) return false;
    In.start = In.end = 0;
    if (!fillMore()) return false;
  }
  // 2. Its end, as far as it has arrived.
  size_t length = 0;
  for (;;) {
    while (In.start + length < In.end && !isSeparator(In.data[In.start + length])) ++length;
    if (In.start + length < In.end || In.ended || !descriptorReady() || !fillMore()) break;
  }
  size_t kept = capacity > 0 && length >= capacity ? capacity - 1 : length;
  if (capacity > 0) {
    std::memcpy(buffer, In.data + In.start, kept);
    buffer[kept] = '\0';
  }
  return true;
}

bool inputBuffered() {
  // The separators left behind the last word are no command: a search that
  // stopped for them would end at its first poll.
  for (size_t i = In.start; i < In.end; ++i) {
    if (!isSeparator(In.data[i])) return true;
  }
  return false;
}

bool inputEnded() { return In.ended && !inputBuffered(); }

void setInputDescriptor(int fd) {
  In.fd = fd;
  In.start = In.end = 0;
  In.ended = false;
}

int inputDescriptor() { return In.fd; }
