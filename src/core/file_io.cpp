#include "core/file_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

bool readExactAt(int fd, void* buffer, size_t size, off_t offset) {
  auto* at = static_cast<uint8_t*>(buffer);
  while (size > 0) {
    const ssize_t got = pread(fd, at, size, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    offset += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool writeAll(int fd, const void* buffer, size_t size) {
  const auto* at = static_cast<const uint8_t*>(buffer);
  while (size > 0) {
    const ssize_t put = write(fd, at, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    at += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}
