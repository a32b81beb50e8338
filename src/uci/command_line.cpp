#include "uci/command_line.h"

#include <cstring>

#include "core/input.h"

namespace {

// Blanks separate words; so does a NUL left by an earlier split.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

}  // namespace

bool CommandLine::read() {
  cursor = 0;
  length = 0;
  overlong = false;
  if (!readRestOfLine(text, sizeof text)) return false;
  length = std::strlen(text);
  // A full buffer without the line end: the reader dropped the rest of the line.
  overlong = length == sizeof text - 1 && text[length - 1] != '\n';
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
    text[--length] = '\0';
  return true;
}

const char* CommandLine::next() {
  while (cursor < length && isBlank(text[cursor])) ++cursor;
  if (cursor >= length) return nullptr;
  const size_t start = cursor;
  while (cursor < length && !isBlank(text[cursor])) ++cursor;
  text[cursor] = '\0';  // text[length] is the terminator already
  if (cursor < length) ++cursor;
  return text + start;
}

const char* CommandLine::rest() {
  while (cursor < length && isBlank(text[cursor])) ++cursor;
  const size_t start = cursor;
  size_t end = length;
  while (end > start && isBlank(text[end - 1])) --end;
  for (size_t i = start; i < end; ++i) {
    if (text[i] == '\0') text[i] = ' ';
  }
  text[end] = '\0';
  cursor = length;
  return text + start;
}
