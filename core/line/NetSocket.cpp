// What a network line's connect does alike on every system: the name resolved aside while the
// event loop turns, each of its addresses tried in turn, and why none took the connection.
#include "core/line/NetSocket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#endif

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <future>

#include "core/line/NetSocketSystem.h"

namespace {
// The longest the event loop is kept waiting while a connection is under way.
constexpr int kSliceMs = 20;

void TurnEventLoop() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
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

NetFailure FailureOf(int error) {
    const NetSocketSystem::ErrorCodes& codes = NetSocketSystem::kErrorCodes;
    if (error == codes.refused) return NetFailure::Refused;
    if (error == codes.timedOut || error == codes.hostUnreachable || error == codes.netUnreachable)
        return NetFailure::TimedOut;
    return NetFailure::Other;
}
}  // namespace

int NetSocketSystem::WaitTurning(int timeoutMs, const std::function<int(int sliceMs)>& wait) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int left = static_cast<int>(timeoutMs - clock.elapsed());
        if (left <= 0) return 0;
        const int ready = wait(qMin(left, kSliceMs));
        if (ready != 0) return ready;
        TurnEventLoop();
    }
}

bool NetSocket::Connect(const NetAddress& address, int timeoutMs, NetFailure* failure, int* error) {
    const NetSocketSystem::ErrorCodes& codes = NetSocketSystem::kErrorCodes;
    NetSocketSystem::Start();
    const Resolved resolved = Resolve(address);
    if (resolved.status != 0) {
        const bool unknown = resolved.status == EAI_NONAME || resolved.status == EAI_NODATA ||
                             resolved.status == EAI_FAIL || resolved.status == EAI_AGAIN;
        *failure = unknown ? NetFailure::NameNotFound : NetFailure::Other;
        *error = unknown ? 0 : codes.hostUnreachable;
        return false;
    }
    // Each address the name has, in turn, until one takes the connection; the time-out is for
    // them all.
    QElapsedTimer clock;
    clock.start();
    long long handle = -1;
    int failed = codes.timedOut;
    for (addrinfo* to = resolved.list; to && handle < 0; to = to->ai_next) {
        const int left = static_cast<int>(timeoutMs - clock.elapsed());
        if (left <= 0) {
            failed = codes.timedOut;
            break;
        }
        handle = NetSocketSystem::ConnectTo(*to, left, &failed);
    }
    ::freeaddrinfo(resolved.list);
    if (handle < 0) {
        *failure = FailureOf(failed);
        *error = failed;
        return false;
    }
    handle_ = handle;
    return true;
}

int NetSocket::ResetError() {
    return NetSocketSystem::kErrorCodes.reset;
}

int NetSocket::TimedOutError() {
    return NetSocketSystem::kErrorCodes.timedOut;
}
