#include "core/line/NetLine.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <future>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/LineTexts.h"
#include "core/line/PortErrors.h"

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

// The message everyone knows, and under it why and what to check.
QString CannotConnect(const QString& name, NetFailure failure, int error) {
    return Tt(TextKey::MsgPortUnavailable) + '\n' +
           PortErrors::ExplainConnect(name, failure, error);
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

std::unique_ptr<NetLine> NetLine::Open(const QString& name, const QString& settings,
                                       QString* message, bool listenOnly) {
    const auto address = ParseNetAddress(name);
    if (!address) {
        *message = CannotConnect(name, NetFailure::BadAddress, 0);
        return nullptr;
    }
    if (listenOnly && address->kind == NetKind::ModbusTcp) {
        *message = LineTexts::CannotListenModbusTcp(Switches().EnglishUi == 1).arg(name);
        return nullptr;
    }
    // A bad settings string is refused before anything is connected, as for a device.
    if (!ParseLineSettings(settings)) {
        *message = QStringLiteral("Invalid device DCB %1 error: %2").arg(settings).arg(EINVAL);
        return nullptr;
    }
    const Resolved resolved = Resolve(*address);
    if (resolved.status != 0) {
        const bool unknown = resolved.status == EAI_NONAME || resolved.status == EAI_NODATA ||
                             resolved.status == EAI_FAIL || resolved.status == EAI_AGAIN;
        *message = unknown ? CannotConnect(name, NetFailure::NameNotFound, 0)
                           : CannotConnect(name, NetFailure::Other, EHOSTUNREACH);
        return nullptr;
    }
    // Each address the name has, in turn, until one takes the connection; the time-out is for
    // them all.
    QElapsedTimer clock;
    clock.start();
    int fd = -1;
    int error = ETIMEDOUT;
    for (addrinfo* to = resolved.list; to && fd < 0; to = to->ai_next) {
        const int left = static_cast<int>(kConnectTimeoutMs - clock.elapsed());
        if (left <= 0) {
            error = ETIMEDOUT;
            break;
        }
        fd = ConnectTo(*to, left, &error);
    }
    ::freeaddrinfo(resolved.list);
    if (fd < 0) {
        *message = CannotConnect(name, FailureOf(error), error);
        return nullptr;
    }
    std::unique_ptr<NetLine> line(new NetLine);
    line->fd_ = fd;
    line->address_ = *address;
    line->name_ = name;
    line->listenOnly_ = listenOnly;
    if (address->kind == NetKind::Rfc2217 && !line->SendAll(line->telnet_.Greeting())) {
        *message = CannotConnect(name, NetFailure::Other, errno);
        return nullptr;
    }
    if (!line->Apply(settings, message)) return nullptr;
    // A listener's silences are the bus's, at the settings the user says the bus runs at.
    if (listenOnly && !line->settingsKnown_) {
        line->settings_ = *ParseLineSettings(settings);
        line->settingsKnown_ = true;
    }
    return line;
}

NetLine::~NetLine() {
    if (fd_ >= 0) ::close(fd_);
}

bool NetLine::SendAll(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t got = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (got > 0) {
            sent += static_cast<size_t>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) {
            pollfd pfd{fd_, POLLOUT, 0};
            if (::poll(&pfd, 1, kConnectTimeoutMs) > 0) continue;
            errno = ETIMEDOUT;
        }
        return false;
    }
    return true;
}

bool NetLine::Alive() {
    uint8_t scratch[256];
    for (;;) {
        const ssize_t got = ReadSome(scratch, sizeof scratch);
        if (got > 0) continue;
        if (got < 0 && errno == EINTR) continue;
        return got < 0 && errno == EAGAIN;
    }
}

bool NetLine::Apply(const QString& settings, QString* message) {
    const auto parsed = ParseLineSettings(settings);
    if (!parsed) {
        *message = QStringLiteral("Invalid device DCB %1 error: %2").arg(settings).arg(EINVAL);
        return false;
    }
    if (address_.kind != NetKind::Rfc2217) return true;  // the gateway's own settings apply
    telnet_.ForgetAcks();
    if (!SendAll(Rfc2217::LineCommands(*parsed))) {
        *message = CannotConnect(name_, NetFailure::Other, errno);
        return false;
    }
    // Until the gateway says the line is set, a request would go out at the old settings. Data
    // meanwhile belongs to no request: a re-open starts clean.
    QElapsedTimer clock;
    clock.start();
    uint8_t scratch[256];
    while (!telnet_.LineAcknowledged()) {
        const int left = static_cast<int>(kSettingsTimeoutMs - clock.elapsed());
        const short ready = left > 0 ? PollTurning(fd_, POLLIN, left) : 0;
        const ssize_t got = ready ? ReadSome(scratch, sizeof scratch) : -1;
        if (got > 0 || (got < 0 && (errno == EAGAIN || errno == EINTR) && ready)) continue;
        *message = CannotConnect(name_, ready ? NetFailure::Other : NetFailure::NoLineSettings,
                                 got == 0 ? ECONNRESET : errno);
        return false;
    }
    // A gateway that cannot take a setting answers with what it kept: requests would go out
    // at settings nobody chose.
    if (telnet_.Acks() != Rfc2217::AcksOf(*parsed)) {
        *message =
            Tt(TextKey::MsgPortUnavailable) + '\n' +
            PortErrors::ExplainSettingsRefused(name_, Rfc2217::AcksText(Rfc2217::AcksOf(*parsed)),
                                               Rfc2217::AcksText(telnet_.Acks()));
        return false;
    }
    settings_ = *parsed;
    settingsKnown_ = true;
    return true;
}

ssize_t NetLine::ReadSome(uint8_t* into, size_t size) {
    if (address_.kind == NetKind::RawTcp) return ::recv(fd_, into, size, 0);
    if (address_.kind == NetKind::ModbusTcp) {
        for (;;) {
            while (auto reply = mbap_.Next()) {
                receivedWire_ = reply->mbap;
                // Another request's reply (a late one, or a gateway's mistake) is not this one's.
                if (reply->transaction != transaction_) {
                    ++wrongTransactions_;
                    continue;
                }
                const size_t count = std::min(size, reply->rtu.size());
                std::copy(reply->rtu.begin(), reply->rtu.begin() + count, into);
                return static_cast<ssize_t>(count);
            }
            uint8_t raw[512];
            const ssize_t got = ::recv(fd_, raw, sizeof raw, 0);
            if (got <= 0) return got;
            mbap_.Feed(raw, static_cast<size_t>(got));
        }
    }
    // The Telnet stream is never longer than its data: as many raw bytes as there is room for.
    uint8_t raw[512];
    for (;;) {
        const ssize_t got = ::recv(fd_, raw, std::min(size, sizeof raw), 0);
        if (got <= 0) return got;
        Rfc2217::Bytes data, reply;
        telnet_.Feed(raw, static_cast<size_t>(got), &data, &reply);
        if (!reply.empty()) SendAll(reply);
        if (data.empty()) continue;  // only Telnet's own talk: read on, or say nothing waits
        std::copy(data.begin(), data.end(), into);
        return static_cast<ssize_t>(data.size());
    }
}

void NetLine::DiscardInput() {
    mbap_ = {};  // a reply's beginning would spoil the next one's
}

ssize_t NetLine::WriteSome(const uint8_t* bytes, size_t size) {
    if (listenOnly_) {
        errno = EBADF;
        return -1;
    }
    if (address_.kind == NetKind::RawTcp) return ::send(fd_, bytes, size, MSG_NOSIGNAL);
    if (address_.kind == NetKind::ModbusTcp) {
        sentWire_ = ModbusTcp::Wrap(++transaction_, bytes, size);
        receivedWire_.clear();
        if (!SendAll(sentWire_)) return -1;
        return static_cast<ssize_t>(size);
    }
    // Escaped data goes whole or not at all, so the count taken is the caller's.
    if (!SendAll(Rfc2217::Escape(bytes, size))) return -1;
    return static_cast<ssize_t>(size);
}

void NetLine::Drain() {
    // Written bytes are in the kernel's hands: nothing of ours waits to go.
}

double NetLine::CharacterMicros() const {
    // A gateway that keeps its own settings keeps its own silences too.
    return settingsKnown_ ? ::CharacterMicros(settings_) : 0;
}
