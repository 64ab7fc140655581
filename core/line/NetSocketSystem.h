#pragma once
// What a network line's socket needs of this system's sockets, given by NetSocketPosix.cpp or
// NetSocketWin.cpp; the connect both systems share is in NetSocket.cpp.
#include <functional>

struct addrinfo;

namespace NetSocketSystem {
// This system's codes for the ways a connection fails.
struct ErrorCodes {
    int refused;
    int timedOut;
    int hostUnreachable;
    int netUnreachable;
    int reset;
};
extern const ErrorCodes kErrorCodes;

// Readies this system's sockets before the first is made.
void Start();
// Connects to one address without blocking, the event loop turning meanwhile; the handle, or -1
// and `error` (kErrorCodes.timedOut when nothing answered within `timeoutMs`).
long long ConnectTo(const addrinfo& to, int timeoutMs, int* error);
// Calls `wait` with short slices of time (in ms) until it gives something other than 0 or
// `timeoutMs` has passed, letting the event loop turn between slices: a connect must not hold the
// window up. What `wait` gave last, 0 when the time ran out.
int WaitTurning(int timeoutMs, const std::function<int(int sliceMs)>& wait);
}  // namespace NetSocketSystem
