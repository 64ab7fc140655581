// Network lines on POSIX sockets.
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <future>

#include "core/line/NetSocket.h"
#include "core/line/PollWaits.h"

namespace {
// The longest the event loop is kept waiting while a connection is under way.
constexpr int kSliceMs = 20;

void TurnEventLoop() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Polls `fd` for `events` up to `timeoutMs`, letting the event loop turn between short slices.
// Returns the revents, 0 on time-out.
short PollTurning(int fd, short events, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int left = static_cast<int>(timeoutMs - clock.elapsed());
        if (left <= 0) return 0;
        pollfd pfd{fd, events, 0};
        const int ready = ::poll(&pfd, 1, qMin(left, kSliceMs));
        if (ready > 0) return pfd.revents;
        if (ready < 0 && errno != EINTR) return POLLERR;
        TurnEventLoop();
    }
}

struct Resolved {
    int status = 0;  // getaddrinfo's
    addrinfo* list = nullptr;
};

// Name resolution may take seconds: it runs aside while the event loop turns.
Resolved Resolve(const NetAddress& address) {
    auto job = std::async(std::launch::async, [address] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        Resolved result;
        result.status =
            ::getaddrinfo(address.host.toUtf8().constData(),
                          QByteArray::number(address.port).constData(), &hints, &result.list);
        return result;
    });
    while (job.wait_for(std::chrono::milliseconds(kSliceMs)) != std::future_status::ready)
        TurnEventLoop();
    return job.get();
}

// Connects to one address without blocking; the descriptor, or -1 and `error` (ETIMEDOUT when
// nothing answered in time).
int ConnectTo(const addrinfo& to, int timeoutMs, int* error) {
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

NetFailure FailureOf(int error) {
    switch (error) {
        case ECONNREFUSED:
            return NetFailure::Refused;
        case ETIMEDOUT:
        case EHOSTUNREACH:
        case ENETUNREACH:
            return NetFailure::TimedOut;
        default:
            return NetFailure::Other;
    }
}
}  // namespace

NetSocket::~NetSocket() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool NetSocket::Connect(const NetAddress& address, int timeoutMs, NetFailure* failure, int* error) {
    const Resolved resolved = Resolve(address);
    if (resolved.status != 0) {
        const bool unknown = resolved.status == EAI_NONAME || resolved.status == EAI_NODATA ||
                             resolved.status == EAI_FAIL || resolved.status == EAI_AGAIN;
        *failure = unknown ? NetFailure::NameNotFound : NetFailure::Other;
        *error = unknown ? 0 : EHOSTUNREACH;
        return false;
    }
    // Each address the name has, in turn, until one takes the connection; the time-out is for
    // them all.
    QElapsedTimer clock;
    clock.start();
    int fd = -1;
    int failed = ETIMEDOUT;
    for (addrinfo* to = resolved.list; to && fd < 0; to = to->ai_next) {
        const int left = static_cast<int>(timeoutMs - clock.elapsed());
        if (left <= 0) {
            failed = ETIMEDOUT;
            break;
        }
        fd = ConnectTo(*to, left, &failed);
    }
    ::freeaddrinfo(resolved.list);
    if (fd < 0) {
        *failure = FailureOf(failed);
        *error = failed;
        return false;
    }
    handle_ = fd;
    return true;
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

int NetSocket::ResetError() {
    return ECONNRESET;
}

int NetSocket::TimedOutError() {
    return ETIMEDOUT;
}
