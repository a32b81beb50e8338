// Whole reads and writes on file descriptors: the binary files (books,
// their indexes) are read at offsets and written in blocks. Files the
// program reads are opened so that nothing can make it wait: a FIFO or a
// device named where a file belongs is refused, not waited on.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>

// Added to a message about a path that names something other than a regular file.
constexpr const char* NotRegularNote = " (not a regular file)";

// Opens an existing regular file read-only. The open itself never blocks (a
// FIFO without a writer would wait for one for ever); a directory, FIFO or
// device is then refused. -1 on failure, with *notRegular (when given) true
// for such a refusal and false for a file that did not open.
int openRegularFile(const char* path, bool* notRegular = nullptr);
// The same as a stream for binary reading; nullptr on failure.
std::FILE* openRegularStream(const char* path, bool* notRegular = nullptr);
// The note for a message after a failed open: NotRegularNote or "".
inline const char* openFailureNote(bool notRegular) { return notRegular ? NotRegularNote : ""; }

// Reads exactly `size` bytes at `offset`; false on an error or a short read.
bool readExactAt(int fd, void* buffer, size_t size, off_t offset);
// Writes all `size` bytes; false on an error or a write that makes no progress.
bool writeAll(int fd, const void* buffer, size_t size);
