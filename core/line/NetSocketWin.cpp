// Network lines on Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "core/line/NetSocket.h"
#include "core/line/NetSocketSystem.h"

namespace {
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

LineIo Outcome(int result, int* error) {
    if (result > 0) return LineIo::Bytes(result);
    if (result == 0) return {LineIo::Kind::Empty};
    *error = ::WSAGetLastError();
    return {*error == WSAEWOULDBLOCK ? LineIo::Kind::Again : LineIo::Kind::Failed};
}
}  // namespace

const NetSocketSystem::ErrorCodes NetSocketSystem::kErrorCodes{
    WSAECONNREFUSED, WSAETIMEDOUT, WSAEHOSTUNREACH, WSAENETUNREACH, WSAECONNRESET};

// Winsock is started once, for the whole process, before the first socket.
void NetSocketSystem::Start() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

long long NetSocketSystem::ConnectTo(const addrinfo& to, int timeoutMs, int* error) {
    const SOCKET socket = ::socket(to.ai_family, to.ai_socktype, to.ai_protocol);
    if (socket == INVALID_SOCKET) {
        *error = ::WSAGetLastError();
        return -1;
    }
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
        *error = ::WSAGetLastError();
        ::closesocket(socket);
        return -1;
    }
    if (::connect(socket, to.ai_addr, static_cast<int>(to.ai_addrlen)) != 0) {
        const int started = ::WSAGetLastError();
        if (started != WSAEWOULDBLOCK && started != WSAEINPROGRESS) {
            *error = started;
            ::closesocket(socket);
            return -1;
        }
        bool failedConnect = false;
        const int ready = NetSocketSystem::WaitTurning(
            timeoutMs, [&](int sliceMs) { return Select(socket, true, sliceMs, &failedConnect); });
        if (ready == 0) {
            *error = WSAETIMEDOUT;
            ::closesocket(socket);
            return -1;
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
            return -1;
        }
    }
    // Requests are a few bytes each and waited for: never hold them back to fill a segment.
    const BOOL on = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<long long>(socket);
}

NetSocket::~NetSocket() {
    if (handle_ >= 0) ::closesocket(Socket(handle_));
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
