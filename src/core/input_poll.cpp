#include "core/input_poll.h"

#include <poll.h>

#include <cerrno>

#include "core/input.h"

int inputPending() {
  // Bytes already pulled into the reader's buffer are invisible to poll().
  if (inputBuffered() || inputEnded()) return 1;
  pollfd request{inputDescriptor(), POLLIN, 0};
  const int ready = poll(&request, 1, 0);
  if (ready > 0) {
    // A closed pipe (POLLHUP) or a broken descriptor counts as pending: the
    // command loop then reads the end of the input and quits.
    return (request.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0 ? 1 : 0;
  }
  // A failed poll other than an interruption cannot tell us anything;
  // stopping is safer than searching on blind.
  return ready < 0 && errno != EINTR ? 1 : 0;
}
