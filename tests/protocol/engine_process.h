// The real engine binary as a child process on pipes, for tests that talk to
// it the way a chess interface does.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

class EngineProcess {
 public:
  // Starts VELTOR_BINARY with `directory` as its working directory.
  explicit EngineProcess(const std::string& directory) {
    signal(SIGPIPE, SIG_IGN);
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(toChild[0], 0);
      dup2(fromChild[1], 1);
      close(toChild[0]);
      close(toChild[1]);
      close(fromChild[0]);
      close(fromChild[1]);
      if (chdir(directory.c_str()) != 0) _exit(126);
      execl(VELTOR_BINARY, VELTOR_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
  }
  ~EngineProcess() {
    closeInput();
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) close(output_);
  }
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  bool started() const { return pid_ > 0 && input_ >= 0; }

  bool send(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = write(input_, text.data() + done, text.size() - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  void closeInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }

  // The next output line without its '\n'; false on timeout or end of output.
  bool readLine(std::string& line, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        transcript_ += line + "\n";
        return true;
      }
      if (!fill(deadline)) return false;
    }
  }

  // Reads lines until one starts with `prefix`; returns it (without '\n') or "".
  std::string waitForLine(const std::string& prefix, int timeoutMs) {
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      deadline - std::chrono::steady_clock::now())
                                      .count());
      if (left <= 0 || !readLine(line, left)) return "";
      if (line.compare(0, prefix.size(), prefix) == 0) return line;
    }
  }

  // Everything until the engine closes its output.
  std::string readToEnd(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fill(deadline)) {
    }
    std::string rest = pending_;
    transcript_ += rest;
    pending_.clear();
    return rest;
  }

  // Waits for the exit; the exit status, or -1 (killed after the timeout).
  int waitExit(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
      }
      usleep(10000);
    }
    return -1;
  }

  // Every complete line read so far (for failure messages).
  const std::string& transcript() const { return transcript_; }

 private:
  bool fill(std::chrono::steady_clock::time_point deadline) {
    for (;;) {
      int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      deadline - std::chrono::steady_clock::now())
                                      .count());
      if (left <= 0) return false;
      pollfd entry{output_, POLLIN, 0};
      int ready = poll(&entry, 1, left);
      if (ready <= 0) continue;
      char chunk[4096];
      ssize_t n = read(output_, chunk, sizeof chunk);
      if (n <= 0) return false;
      pending_.append(chunk, static_cast<size_t>(n));
      return true;
    }
  }

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  bool exited_ = false;
  std::string pending_;
  std::string transcript_;
};
