// Whole reads and writes on file descriptors: the binary files (books,
// their indexes) are read at offsets and written in blocks.
#pragma once

#include <sys/types.h>

#include <cstddef>

// Reads exactly `size` bytes at `offset`; false on an error or a short read.
bool readExactAt(int fd, void* buffer, size_t size, off_t offset);
// Writes all `size` bytes; false on an error or a write that makes no progress.
bool writeAll(int fd, const void* buffer, size_t size);
