#include "core/line/PollWaits.h"

#include <poll.h>

#include <cerrno>

namespace PollWaits {
LineWait Readable(int fd, int timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, timeoutMs);
    if (ready < 0) return errno == EINTR ? LineWait::Interrupted : LineWait::Silent;
    if (ready == 0) return LineWait::Silent;
    if (pfd.revents & POLLIN) return LineWait::Readable;
    if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) return LineWait::HungUp;
    return LineWait::Silent;
}

void Writable(int fd, int timeoutMs) {
    pollfd pfd{fd, POLLOUT, 0};
    ::poll(&pfd, 1, timeoutMs);
}

LineIo Outcome(ssize_t result) {
    if (result > 0) return LineIo::Bytes(result);
    if (result == 0) return {LineIo::Kind::Empty};
    return {errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? LineIo::Kind::Again
                                                                      : LineIo::Kind::Failed};
}
}  // namespace PollWaits
