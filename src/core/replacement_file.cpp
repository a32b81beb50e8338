#include "core/replacement_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/file_io.h"

namespace {

constexpr int MaxLinkHops = 40;
constexpr size_t CopyChunkBytes = size_t{1} << 16;
// mkostemp fills in the last six characters.
constexpr const char* TemporarySuffix = ".tmp-XXXXXX";
constexpr const char* ReadOnlyNote = " (read-only)";
constexpr mode_t NewFileMode = 0666;  // less the umask, as for any new file

// The file a write to `path` reaches: symbolic links followed, a relative
// one from its link's directory. "" when the links do not end.
std::string followLinks(const char* path) {
  std::string at = path;
  for (int hop = 0; hop < MaxLinkHops; ++hop) {
    struct stat status;
    if (lstat(at.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return at;
    char link[PATH_MAX];
    const ssize_t length = readlink(at.c_str(), link, sizeof link - 1);
    if (length <= 0) return "";
    link[length] = '\0';
    const size_t slash = at.rfind('/');
    at = link[0] == '/' || slash == std::string::npos ? std::string(link)
                                                      : at.substr(0, slash + 1) + link;
  }
  return "";
}

}  // namespace

bool ReplacementFile::begin(const char* target, bool keepContents) {
  discard();
  note_ = "";
  failed_ = false;
  finished_ = false;
  target_ = followLinks(target);
  if (target_.empty()) return false;
  struct stat status;
  targetExisted_ = stat(target_.c_str(), &status) == 0;
  if (targetExisted_ && !S_ISREG(status.st_mode)) {
    note_ = NotRegularNote;
    return false;
  }
  // Renaming over a file needs no right to write it: ask for that right.
  if (targetExisted_ && faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
    note_ = ReadOnlyNote;
    return false;
  }
  std::string name = target_ + TemporarySuffix;
  fd_ = mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temporary_ = name;
  // The new file keeps the old one's permissions and, where allowed, owner.
  if (targetExisted_) {
    fchmod(fd_, status.st_mode & 07777);
    if (status.st_uid != geteuid() || status.st_gid != getegid()) {
      [[maybe_unused]] const int owned = fchown(fd_, status.st_uid, status.st_gid);
    }
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, NewFileMode & ~mask);
  }
  if (keepContents && targetExisted_ && !copyTarget()) {
    discard();
    return false;
  }
  return true;
}

bool ReplacementFile::copyTarget() {
  const int from = openRegularFile(target_.c_str());
  if (from < 0) return false;
  static char buffer[CopyChunkBytes];
  bool copied = true;
  for (;;) {
    const ssize_t got = read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    if (!writeAll(fd_, buffer, static_cast<size_t>(got))) {
      copied = false;
      break;
    }
  }
  ::close(from);
  return copied;
}

std::FILE* ReplacementFile::stream(const char* mode) {
  if (stream_ == nullptr && fd_ >= 0) stream_ = fdopen(fd_, mode);
  return stream_;
}

bool ReplacementFile::finishWriting() {
  if (finished_ || temporary_.empty()) return finished_ && !failed_;
  finished_ = true;
  if (stream_ != nullptr && (std::fflush(stream_) != 0 || std::ferror(stream_) != 0))
    failed_ = true;
  if (fsync(fd_) != 0) failed_ = true;
  if (stream_ != nullptr ? std::fclose(stream_) != 0 : ::close(fd_) != 0) failed_ = true;
  stream_ = nullptr;
  fd_ = -1;
  return !failed_;
}

bool ReplacementFile::commit() {
  if (!finishWriting() || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void ReplacementFile::discard() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
  } else if (fd_ >= 0) {
    ::close(fd_);
  }
  stream_ = nullptr;
  fd_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}
