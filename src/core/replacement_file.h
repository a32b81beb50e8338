// A file written whole or not at all. The bytes go to a new temporary file
// beside the target, which commit() renames over the target once every byte
// has been written, synced to the disk and the file closed. Until then, and
// after any failure, the target is as it was, and a temporary that is not
// committed is removed. A symbolic link is followed to the file it names,
// which is replaced while the link stays. A target that exists but is not a
// regular file (directory, device, FIFO) is refused, as is one the user may
// not write.
#pragma once

#include <cstdio>
#include <string>

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile() { discard(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the temporary; with keepContents it starts as a copy of the
  // target (to append to). False, with nothing created, when the target is
  // refused or the temporary cannot be made.
  bool begin(const char* target, bool keepContents = false);
  // After a failed begin: why, for a message (NotRegularNote, " (read-only)" or "").
  const char* note() const { return note_; }
  // A temporary exists (begun, neither committed nor discarded).
  bool active() const { return !temporary_.empty(); }
  bool targetExisted() const { return targetExisted_; }
  // The temporary, for writing; -1 when not active.
  int fd() const { return fd_; }
  // A stream on the temporary, made on the first call with fdopen's mode
  // ("wb", "a+b"); it belongs to this object. nullptr when not active.
  std::FILE* stream(const char* mode);
  // Flushes, syncs and closes the temporary: false when a write (through the
  // stream, or one reported by fail()), the sync or the close failed.
  bool finishWriting();
  // Notes a failed write made on fd(); finishWriting then fails.
  void fail() { failed_ = true; }
  // finishWriting, then the rename over the target; false (the temporary
  // removed) on any failure.
  bool commit();
  // Removes the temporary; the target stays as it was.
  void discard();

 private:
  bool copyTarget();

  std::string target_;  // symbolic links followed
  std::string temporary_;
  int fd_ = -1;
  std::FILE* stream_ = nullptr;
  bool targetExisted_ = false;
  bool failed_ = false;
  bool finished_ = false;
  const char* note_ = "";
};
