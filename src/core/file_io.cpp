#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

int openRegularFile(const char* path, bool* notRegular) {
  if (notRegular != nullptr) *notRegular = false;
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    if (notRegular != nullptr) *notRegular = true;
    ::close(fd);
    return -1;
  }
  // A regular file never makes a read wait: the descriptor reads as any other.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::FILE* openRegularStream(const char* path, bool* notRegular) {
  const int fd = openRegularFile(path, notRegular);
  if (fd < 0) return nullptr;
  std::FILE* stream = fdopen(fd, "rb");
  if (stream == nullptr) ::close(fd);
  return stream;
}

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
