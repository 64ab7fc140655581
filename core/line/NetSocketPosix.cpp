// Network lines on POSIX sockets.
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "core/line/NetSocket.h"
#include "core/line/NetSocketSystem.h"
#include "core/line/PollWaits.h"

namespace {
// Polls `fd` for `events` up to `timeoutMs`, letting the event loop turn between short slices.
// Returns the revents, 0 on time-out.
short PollTurning(int fd, short events, int timeoutMs) {
    return static_cast<short>(NetSocketSystem::WaitTurning(timeoutMs, [fd, events](int sliceMs) {
        pollfd pfd{fd, events, 0};
        const int ready = ::poll(&pfd, 1, sliceMs);
        if (ready > 0) return static_cast<int>(pfd.revents);
        return ready < 0 && errno != EINTR ? static_cast<int>(POLLERR) : 0;
    }));
}
}  // namespace

const NetSocketSystem::ErrorCodes NetSocketSystem::kErrorCodes{
    ECONNREFUSED, ETIMEDOUT, EHOSTUNREACH, ENETUNREACH, ECONNRESET};

// POSIX sockets need no start.
void NetSocketSystem::Start() {}

long long NetSocketSystem::ConnectTo(const addrinfo& to, int timeoutMs, int* error) {
    const int fd =
        ::socket(to.ai_family, to.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, to.ai_protocol);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    if (::connect(fd, to.ai_addr, to.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            *error = errno;
            ::close(fd);
            return -1;
        }
        if (PollTurning(fd, POLLOUT, timeoutMs) == 0) {
            *error = ETIMEDOUT;
            ::close(fd);
            return -1;
        }
        int failed = 0;
        socklen_t size = sizeof failed;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failed, &size) != 0) failed = errno;
        if (failed != 0) {
            *error = failed;
            ::close(fd);
            return -1;
        }
    }
    // Requests are a few bytes each and waited for: never hold them back to fill a segment.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

NetSocket::~NetSocket() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

LineWait NetSocket::WaitReadable(int timeoutMs) {
    return PollWaits::Readable(static_cast<int>(handle_), timeoutMs);
}

bool NetSocket::WaitWritable(int timeoutMs) {
    pollfd pfd{static_cast<int>(handle_), POLLOUT, 0};
    return ::poll(&pfd, 1, timeoutMs) > 0;
}

LineIo NetSocket::Receive(uint8_t* into, size_t size) {
    ssize_t got;
    do got = ::recv(static_cast<int>(handle_), into, size, 0);
    while (got < 0 && errno == EINTR);
    if (got < 0) error_ = errno;
    return PollWaits::Outcome(got);
}

LineIo NetSocket::Send(const uint8_t* bytes, size_t size) {
    ssize_t got;
    do got = ::send(static_cast<int>(handle_), bytes, size, MSG_NOSIGNAL);
    while (got < 0 && errno == EINTR);
    if (got < 0) error_ = errno;
    return PollWaits::Outcome(got);
}
