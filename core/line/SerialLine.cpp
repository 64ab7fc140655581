#include "core/line/SerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "core/line/PollWaits.h"

namespace {
std::atomic<bool> watchByLooking{false};
}  // namespace

namespace SerialBackend {
std::unique_ptr<LineBackend> Open(const QString& name, const QString& settings,
                                  const SerialDeviceIdentity* mustBe, SerialDeviceIdentity* reached,
                                  QString* message, bool listenOnly) {
    return SerialLine::Open(name, settings, mustBe, reached, message, listenOnly);
}
}  // namespace SerialBackend

std::unique_ptr<SerialLine> SerialLine::Open(const QString& name, const QString& settings,
                                             const SerialDeviceIdentity* mustBe,
                                             SerialDeviceIdentity* reached, QString* message,
                                             bool listenOnly) {
    // A "COMn" whose link has gone now means /dev/ttyS<n-1>: another device.
    const auto found = SerialBackend::DeviceToOpen(name, mustBe, message);
    if (!found) return nullptr;
    const QString& device = *found;
    std::unique_ptr<SerialLine> line(new SerialLine);
    const QByteArray path = device.toLocal8Bit();
    line->listenOnly_ = listenOnly;
    line->watchByLooking_ = watchByLooking;
    line->fd_ = ::open(path.constData(),
                       (listenOnly ? O_RDONLY : O_RDWR) | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int error = line->fd_ < 0 ? errno : 0;
    // Only a terminal device is a port; a directory or a plain file is "no such port".
    if (error == 0 && !::isatty(line->fd_)) error = ENOTTY;
    // Another holder's lock or exclusive mode: the port is busy.
    if (error == 0 && ::flock(line->fd_, LOCK_EX | LOCK_NB) != 0) error = errno;
    if (error == 0 && ::ioctl(line->fd_, TIOCEXCL) != 0) error = errno;
    if (error != 0) {
        *message = SerialBackend::CannotOpen(device, error);
        return nullptr;
    }
    line->holdsExclusive_ = true;
    struct stat status {};
    if (::fstat(line->fd_, &status) != 0) {
        *message = SerialBackend::CannotOpen(device, errno);
        return nullptr;
    }
    // The name now leads to another device than the one chosen: the chosen one is not there.
    if (mustBe && status.st_rdev != mustBe->device) {
        *message = SerialBackend::CannotOpen(name, ENODEV);
        return nullptr;
    }
    line->identity_ = {static_cast<unsigned long long>(status.st_rdev), device};
    *reached = line->identity_;
    // The time-outs live in our reads and writes; they need the descriptor non-blocking.
    const int flags = ::fcntl(line->fd_, F_GETFL);
    if (flags < 0 || ::fcntl(line->fd_, F_SETFL, flags | O_NONBLOCK) != 0) {
        *message = SerialBackend::InvalidTimeouts(name, errno);
        return nullptr;
    }
    const auto parsed = ParseLineSettings(settings);
    if (!parsed) {
        *message = SerialBackend::InvalidDcb(settings, EINVAL);
        return nullptr;
    }
    if (int failed = ApplyLineSettings(line->fd_, *parsed); failed != 0) {
        *message = SerialBackend::InvalidDcb(settings, failed);
        return nullptr;
    }
    line->settings_ = *parsed;
    // A reopen must start clean: nothing left over from before.
    ::tcflush(line->fd_, TCIOFLUSH);
    return line;
}

// Exclusive mode outlives the close on a pseudo-terminal whose far end stays open, and would
// lock out every later open but root's: clear it first.
SerialLine::~SerialLine() {
    if (fd_ < 0) return;
    if (holdsExclusive_) ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
}

LineWatchable SerialLine::Watchable() const {
    return watchByLooking_ ? LineWatchable{-1, 1} : LineWatchable{fd_};
}

void SerialLine::WatchByLooking(bool looking) {
    watchByLooking = looking;
}

LineWait SerialLine::WaitReadable(int timeoutMs) {
    return PollWaits::Readable(fd_, timeoutMs);
}

void SerialLine::WaitWritable(int timeoutMs) {
    PollWaits::Writable(fd_, timeoutMs);
}

LineIo SerialLine::ReadSome(uint8_t* into, size_t size) {
    ssize_t got;
    do got = ::read(fd_, into, size);
    while (got < 0 && errno == EINTR);
    return PollWaits::Outcome(got);
}

LineIo SerialLine::WriteSome(const uint8_t* bytes, size_t size) {
    // Opened for reading alone: refused here already, and by the kernel if it ever got there.
    if (listenOnly_) {
        errno = EBADF;
        return {LineIo::Kind::Failed};
    }
    ssize_t got;
    do got = ::write(fd_, bytes, size);
    while (got < 0 && errno == EINTR);
    return PollWaits::Outcome(got);
}

void SerialLine::DiscardInput() {
    ::tcflush(fd_, TCIFLUSH);
}

void SerialLine::Drain() {
    ::tcdrain(fd_);
}

int SerialLine::Unsent() const {
    int queued = 0;
    return ::ioctl(fd_, TIOCOUTQ, &queued) == 0 ? queued : 0;
}

double SerialLine::CharacterMicros() const {
    return ::CharacterMicros(settings_);
}
