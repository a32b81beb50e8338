// Standard input for the command loop, read through an own buffer so that the
// input poll can see bytes that were already read but not yet used.
#pragma once

#include <cstddef>

// Reads the next whitespace-separated word (blank, tab, '\r', '\n' separate
// words). A longer word than `capacity - 1` characters is cut: the rest of it
// is read and dropped. False at the end of the input.
bool readWord(char* buffer, size_t capacity);
// Reads the rest of the current line including its '\n' (at most capacity - 1
// characters are kept; the rest of a longer line is dropped). False at the end.
bool readRestOfLine(char* buffer, size_t capacity);
// Reads the next word as a decimal integer; on failure returns false and the
// word stays unread (it is the next command).
bool readInt(int& value);
// Copies the next word into `buffer` without reading it, never waiting for
// input: only bytes already sent are looked at (a word still being written
// may come out cut). False when no word is pending.
bool peekWord(char* buffer, size_t capacity);
// True when the buffer holds the start of an unread word (separators alone
// are no pending input).
bool inputBuffered();
// True once the end of the input was seen.
bool inputEnded();
// Reads from another descriptor (tests and fuzzing); resets the buffer.
void setInputDescriptor(int fd);
int inputDescriptor();
