#include "link/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

#include "base/Platform.h"
#include "base/TextTable.h"
#include "link/PortErrors.h"
#include "link/SerialLineSettings.h"

namespace SerialPort {
namespace {
int portFd = -1;
bool holdsExclusive = false;  // cleared only by whoever set it: never another holder's mode
dev_t chosenDevice = 0;       // the device number of the user's open; re-opens must find it again
QString chosenPath;           // and the path it was opened by
bool vanished = false;        // the open device has hung up or refused a write
int discarded = 0;            // stale bytes thrown away before the last write
std::array<uint8_t, 256> buffer{};

// Read time-outs: 1 ms per requested byte plus 1 ms in all, 20 ms of silence after a byte.
constexpr int kReadCount = 255;
constexpr int kReadTotalMs = kReadCount * 1 + 1;
constexpr int kReadIntervalMs = 20;
// Write time-out: 1 ms per byte plus 10 ms.
constexpr int kWriteConstantMs = 10;

// Exclusive mode outlives the close on a pseudo-terminal whose far end stays open, and would
// lock out every later open but root's: clear it first.
void CloseDescriptor() {
    if (portFd < 0) return;
    if (holdsExclusive) ::ioctl(portFd, TIOCNXCL);
    holdsExclusive = false;
    ::close(portFd);
    portFd = -1;
}

void Fail(const QString& message) {
    CloseDescriptor();
    ShowMessage(message);
}

// The message everyone knows, and under it what the system said and what to do about it.
void FailToOpen(const QString& path, int error) {
    Fail(Tt(TextKey::MsgPortUnavailable) + '\n' + PortErrors::Explain(path, error));
}

// The device is gone (adapter pulled, far end closed): said once, until the next open.
void MarkVanished() {
    if (vanished) return;
    vanished = true;
    ShowMessage(Tt(TextKey::MsgPortUnavailable));
}

// Whatever arrived since the last reply was judged belongs to no request of ours: a late reply
// kept would be shown as the answer to the next request.
void DiscardInput() {
    discarded = 0;
    std::array<uint8_t, 256> scratch;
    for (;;) {
        const ssize_t got = ::read(portFd, scratch.data(), scratch.size());
        if (got > 0) {
            discarded += static_cast<int>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
    }
    ::tcflush(portFd, TCIFLUSH);
}

int RemainingMs(const QElapsedTimer& clock, int limitMs) {
    return static_cast<int>(qMax<qint64>(0, limitMs - clock.elapsed()));
}
}  // namespace

std::array<uint8_t, 256>& PortBuffer() {
    return buffer;
}

bool IsOpen() {
    return portFd >= 0;
}

bool WaitForInput(int timeoutMs) {
    if (portFd < 0) return false;
    pollfd pfd{portFd, POLLIN, 0};
    return ::poll(&pfd, 1, timeoutMs) > 0 && (pfd.revents & POLLIN);
}

std::optional<int> ComNumber(const QString& name) {
    static const QRegularExpression com("^COM([0-9]{1,5})$",
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(name);
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1).toInt();
}

QString DevicePath(const QString& name) {
    if (name.contains('/')) return name;
    const auto number = ComNumber(name);
    if (!number) return name;
    // The link keeps the digits as typed: "COM01" is sys/COM01.
    const QString link = QStringLiteral("sys/") + name.toUpper();
    if (QFileInfo::exists(link) || QFileInfo(link).isSymLink()) return link;
    return QStringLiteral("/dev/ttyS%1").arg(*number - 1);
}

static bool OpenDevice(const QString& name, const QString& settings, bool mustBeChosen) {
    ClosePort();
    const QString device = DevicePath(name);
    // A name that now leads to another path (its link gone, so "COMn" means /dev/ttyS<n-1>)
    // names another device: that one is not even opened, which could stir its modem lines.
    if (mustBeChosen && device != chosenPath) {
        FailToOpen(name, ENODEV);
        return false;
    }
    const QByteArray path = device.toLocal8Bit();
    portFd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int error = portFd < 0 ? errno : 0;
    // Only a terminal device is a port; a directory or a plain file is "no such port".
    if (error == 0 && !::isatty(portFd)) error = ENOTTY;
    // Another holder's lock or exclusive mode: the port is busy.
    if (error == 0 && ::flock(portFd, LOCK_EX | LOCK_NB) != 0) error = errno;
    if (error == 0 && ::ioctl(portFd, TIOCEXCL) != 0) error = errno;
    if (error != 0) {
        FailToOpen(device, error);
        return false;
    }
    holdsExclusive = true;
    struct stat status {};
    if (::fstat(portFd, &status) != 0) {
        FailToOpen(device, errno);
        return false;
    }
    // The name now leads to another device than the one chosen: the chosen one is not there.
    if (mustBeChosen && status.st_rdev != chosenDevice) {
        FailToOpen(name, ENODEV);
        return false;
    }
    chosenDevice = status.st_rdev;
    chosenPath = device;
    vanished = false;
    // The time-outs live in our reads and writes; they need the descriptor non-blocking.
    const int flags = ::fcntl(portFd, F_GETFL);
    if (flags < 0 || ::fcntl(portFd, F_SETFL, flags | O_NONBLOCK) != 0) {
        Fail(QStringLiteral("Port timeout setting is invalid %1 error: %2").arg(name).arg(errno));
        return false;
    }
    const auto line = ParseLineSettings(settings);
    if (!line) {
        Fail(QStringLiteral("Invalid device DCB %1 error: %2").arg(settings).arg(EINVAL));
        return false;
    }
    if (int error = ApplyLineSettings(portFd, *line); error != 0) {
        Fail(QStringLiteral("Invalid device DCB %1 error: %2").arg(settings).arg(error));
        return false;
    }
    // A reopen must start clean: nothing left over from before.
    ::tcflush(portFd, TCIOFLUSH);
    return true;
}

bool OpenPort(const QString& name, const QString& settings) {
    return OpenDevice(name, settings, false);
}

bool ReopenPort(const QString& name, const QString& settings) {
    return OpenDevice(name, settings, true);
}

void ClosePort() {
    CloseDescriptor();
}

void FlushPort() {
    if (portFd >= 0) ::tcdrain(portFd);
}

bool Vanished() {
    return vanished;
}

int DiscardedBeforeWrite() {
    return discarded;
}

int WritePort(int n) {
    if (portFd < 0 || n <= 0) return 0;
    n = qMin(n, static_cast<int>(buffer.size()));
    DiscardInput();
    const int limitMs = n + kWriteConstantMs;
    QElapsedTimer clock;
    clock.start();
    int written = 0;
    while (written < n) {
        ssize_t got = ::write(portFd, buffer.data() + written, n - written);
        if (got > 0) {
            written += static_cast<int>(got);
            continue;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            MarkVanished();
            return 0;
        }
        const int left = RemainingMs(clock, limitMs);
        if (left == 0) break;
        pollfd pfd{portFd, POLLOUT, 0};
        ::poll(&pfd, 1, left);
    }
    return written;
}

QString ReadPortHex() {
    if (portFd < 0) return QString();
    QElapsedTimer clock;
    clock.start();
    int count = 0;
    while (count < kReadCount) {
        const int totalLeft = RemainingMs(clock, kReadTotalMs);
        if (totalLeft == 0) break;
        pollfd pfd{portFd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, count > 0 ? qMin(kReadIntervalMs, totalLeft) : totalLeft);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;  // silence
        if (!(pfd.revents & POLLIN)) {
            if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) MarkVanished();
            break;
        }
        ssize_t got = ::read(portFd, buffer.data() + count, kReadCount - count);
        if (got <= 0) {
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            MarkVanished();  // readable yet nothing to read: the line has hung up
            break;
        }
        count += static_cast<int>(got);
    }
    if (count == 0) {
        FlushPort();
        return QString();
    }
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(count * 2);
    for (int i = 0; i < count; ++i) {
        text += QLatin1Char(digits[buffer[i] >> 4]);
        text += QLatin1Char(digits[buffer[i] & 0x0F]);
    }
    return text;
}
}  // namespace SerialPort
