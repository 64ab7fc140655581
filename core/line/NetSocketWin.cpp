// Network lines on Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <future>

#include "core/line/NetSocket.h"

namespace {
// The longest the event loop is kept waiting while a connection is under way.
constexpr int kSliceMs = 20;

// Winsock is started once, for the whole process, before the first socket.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

void TurnEventLoop() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

SOCKET Socket(long long handle) {
    return static_cast<SOCKET>(handle);
}

// Waits up to `timeoutMs` on one socket: for input (with its exceptions) or for room to write
// (where a failed connect shows among the exceptions). -1 on failure, 0 on time-out.
int Select(SOCKET socket, bool write, int timeoutMs, bool* exception) {
    fd_set wanted, failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(socket, &wanted);
    FD_SET(socket, &failed);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready =
        ::select(0, write ? nullptr : &wanted, write ? &wanted : nullptr, &failed, &wait);
    if (exception) *exception = ready > 0 && FD_ISSET(socket, &failed);
    if (ready > 0 && !FD_ISSET(socket, &wanted) && !FD_ISSET(socket, &failed)) return 0;
    return ready;
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

// Connects to one address without blocking; the socket, or INVALID_SOCKET and `error`
// (WSAETIMEDOUT when nothing answered in time).
SOCKET ConnectTo(const addrinfo& to, int timeoutMs, int* error) {
    const SOCKET socket = ::socket(to.ai_family, to.ai_socktype, to.ai_protocol);
    if (socket == INVALID_SOCKET) {
        *error = ::WSAGetLastError();
        return INVALID_SOCKET;
    }
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
        *error = ::WSAGetLastError();
        ::closesocket(socket);
        return INVALID_SOCKET;
    }
    if (::connect(socket, to.ai_addr, static_cast<int>(to.ai_addrlen)) != 0) {
        const int started = ::WSAGetLastError();
        if (started != WSAEWOULDBLOCK && started != WSAEINPROGRESS) {
            *error = started;
            ::closesocket(socket);
            return INVALID_SOCKET;
        }
        QElapsedTimer clock;
        clock.start();
        int ready = 0;
        bool failedConnect = false;
        for (;;) {
            const int left = static_cast<int>(timeoutMs - clock.elapsed());
            if (left <= 0) break;
            ready = Select(socket, true, qMin(left, kSliceMs), &failedConnect);
            if (ready != 0) break;
            TurnEventLoop();
        }
        if (ready == 0) {
            *error = WSAETIMEDOUT;
            ::closesocket(socket);
            return INVALID_SOCKET;
        }
        int failed = 0;
        int size = sizeof failed;
        if (ready < 0) failed = ::WSAGetLastError();
        if (ready > 0 && ::getsockopt(socket, SOL_SOCKET, SO_ERROR,
                                      reinterpret_cast<char*>(&failed), &size) != 0)
            failed = ::WSAGetLastError();
        if (failed == 0 && failedConnect) failed = WSAECONNREFUSED;
        if (failed != 0) {
            *error = failed;
            ::closesocket(socket);
            return INVALID_SOCKET;
        }
    }
    // Requests are a few bytes each and waited for: never hold them back to fill a segment.
    const BOOL on = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return socket;
}

NetFailure FailureOf(int error) {
    switch (error) {
        case WSAECONNREFUSED:
            return NetFailure::Refused;
        case WSAETIMEDOUT:
        case WSAEHOSTUNREACH:
        case WSAENETUNREACH:
            return NetFailure::TimedOut;
        default:
            return NetFailure::Other;
    }
}

LineIo Outcome(int result, int* error) {
    if (result > 0) return LineIo::Bytes(result);
    if (result == 0) return {LineIo::Kind::Empty};
    *error = ::WSAGetLastError();
    return {*error == WSAEWOULDBLOCK ? LineIo::Kind::Again : LineIo::Kind::Failed};
}
}  // namespace

NetSocket::~NetSocket() {
    if (handle_ >= 0) ::closesocket(Socket(handle_));
}

bool NetSocket::Connect(const NetAddress& address, int timeoutMs, NetFailure* failure, int* error) {
    StartWinsock();
    const Resolved resolved = Resolve(address);
    if (resolved.status != 0) {
        const bool unknown = resolved.status == EAI_NONAME || resolved.status == EAI_NODATA ||
                             resolved.status == EAI_FAIL || resolved.status == EAI_AGAIN;
        *failure = unknown ? NetFailure::NameNotFound : NetFailure::Other;
        *error = unknown ? 0 : WSAEHOSTUNREACH;
        return false;
    }
    // Each address the name has, in turn, until one takes the connection; the time-out is for
    // them all.
    QElapsedTimer clock;
    clock.start();
    SOCKET socket = INVALID_SOCKET;
    int failed = WSAETIMEDOUT;
    for (addrinfo* to = resolved.list; to && socket == INVALID_SOCKET; to = to->ai_next) {
        const int left = static_cast<int>(timeoutMs - clock.elapsed());
        if (left <= 0) {
            failed = WSAETIMEDOUT;
            break;
        }
        socket = ConnectTo(*to, left, &failed);
    }
    ::freeaddrinfo(resolved.list);
    if (socket == INVALID_SOCKET) {
        *failure = FailureOf(failed);
        *error = failed;
        return false;
    }
    handle_ = static_cast<long long>(socket);
    return true;
}

LineWait NetSocket::WaitReadable(int timeoutMs) {
    bool exception = false;
    const int ready = Select(Socket(handle_), false, timeoutMs, &exception);
    if (ready <= 0) return LineWait::Silent;
    // A connection the peer closed reads as readable, and then as nothing.
    return exception ? LineWait::HungUp : LineWait::Readable;
}

bool NetSocket::WaitWritable(int timeoutMs) {
    return Select(Socket(handle_), true, timeoutMs, nullptr) > 0;
}

LineIo NetSocket::Receive(uint8_t* into, size_t size) {
    return Outcome(
        ::recv(Socket(handle_), reinterpret_cast<char*>(into), static_cast<int>(size), 0), &error_);
}

LineIo NetSocket::Send(const uint8_t* bytes, size_t size) {
    return Outcome(
        ::send(Socket(handle_), reinterpret_cast<const char*>(bytes), static_cast<int>(size), 0),
        &error_);
}

int NetSocket::ResetError() {
    return WSAECONNRESET;
}

int NetSocket::TimedOutError() {
    return WSAETIMEDOUT;
}
