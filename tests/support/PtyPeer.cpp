#include "tests/support/PtyPeer.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdlib>
#include <stdexcept>

#include "core/protocol/Modbus.h"
#include "core/line/SerialLineSettings.h"

PtyPeer::PtyPeer(const QString& linkPath) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slavePath_ = QString::fromLocal8Bit(::ptsname(master_));
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (!linkPath.isEmpty()) {
        linkPath_ = linkPath;
        QFile::remove(linkPath_);
        QFile::link(slavePath_, linkPath_);
    }
}

PtyPeer::~PtyPeer() {
    Vanish();
    if (!linkPath_.isEmpty()) QFile::remove(linkPath_);
}

void PtyPeer::Vanish() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    // The link stays, as an installation's would, but leads nowhere: left on /dev/pts/N it would
    // reach the next pseudo-terminal given that number, another test's running beside this one.
    if (!linkPath_.isEmpty()) {
        QFile::remove(linkPath_);
        QFile::link(slavePath_ + QStringLiteral("-gone"), linkPath_);
    }
}

QByteArray PtyPeer::ReadRequest(int timeoutMs) {
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    while (master_ >= 0) {
        const int left = bytes.isEmpty() ? timeoutMs - static_cast<int>(clock.elapsed()) : 30;
        if (left <= 0) break;
        pollfd pfd{master_, POLLIN, 0};
        if (::poll(&pfd, 1, left) <= 0 || !(pfd.revents & POLLIN)) break;
        char chunk[512];
        const ssize_t got = ::read(master_, chunk, sizeof chunk);
        if (got <= 0) break;
        bytes.append(chunk, static_cast<int>(got));
    }
    return bytes;
}

namespace {
// The program's own descriptor on `slavePath` in this process (the tests and the program share
// it), -1 when the program does not hold that device open in raw mode.
int ProgramEndOf(const QString& slavePath) {
    const QByteArray wanted = slavePath.toLocal8Bit();
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds) return -1;
    int found = -1;
    while (const dirent* entry = ::readdir(fds)) {
        char target[256];
        const QByteArray link = QByteArray("/proc/self/fd/") + entry->d_name;
        const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
        if (n <= 0 || QByteArray(target, static_cast<int>(n)) != wanted) continue;
        const int fd = std::atoi(entry->d_name);
        termios line{};
        // A canonical line counts only whole lines as waiting; such an end is not waited on.
        if (::tcgetattr(fd, &line) == 0 && !(line.c_lflag & ICANON)) {
            found = fd;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

int Waiting(int fd) {
    int count = 0;
    return ::ioctl(fd, FIONREAD, &count) == 0 ? count : -1;
}
}  // namespace

void PtyPeer::Write(const QByteArray& bytes) {
    const int programEnd = master_ >= 0 ? ProgramEndOf(slavePath_) : -1;
    const int before = programEnd >= 0 ? Waiting(programEnd) : -1;
    if (master_ >= 0 && !bytes.isEmpty()) (void)!::write(master_, bytes.constData(), bytes.size());
    if (before < 0) {
        // Nobody here reads the slave yet: only give the bytes a moment to cross.
        ::usleep(2000);
        return;
    }
    // The kernel moves the bytes to the slave's queue in its own time, which on a busy machine is
    // more than a moment: wait until the program's end holds them all, so what the program reads
    // next is the whole reply.
    QElapsedTimer clock;
    clock.start();
    while (Waiting(programEnd) >= 0 && Waiting(programEnd) < before + bytes.size() &&
           clock.elapsed() < 10000)
        ::usleep(500);
}

void PtyPeer::WriteHex(const QString& spacedHex) {
    Write(HexBytes(spacedHex));
}

int PtyPeer::Baud() const {
    int baud = 0;
    bool odd = false;
    ReadLineSettings(master_, &baud, &odd);
    return baud;
}

bool PtyPeer::OddParity() const {
    int baud = 0;
    bool odd = false;
    ReadLineSettings(master_, &baud, &odd);
    return odd;
}

QString SpacedHex(const QByteArray& bytes) {
    return SentTextOf(Frame(bytes.begin(), bytes.end()));
}

QByteArray HexBytes(const QString& spacedHex, bool withCrc) {
    Frame bytes = BytesOfText(spacedHex);
    if (withCrc) bytes = AppendCrc16(bytes);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

ScratchSys::ScratchSys() {
    previous_ = QDir::currentPath();
    QDir(dir_.path()).mkpath("sys");
    QDir::setCurrent(dir_.path());
    WriteFile("set.rc", "1\r\n9600\r\n无校验\r\n");
    WriteFile("set2.rc", "0\r\n0\r\n0\r\n");
    WriteFile("tm.rc",
              "Poll       00200\r\nDigitalIn  00100\r\nOutWrite   00100\r\n"
              "Measure    00100\r\nAnalogOut  00100\r\nMeasure2   00100\r\n");
}

ScratchSys::~ScratchSys() {
    QDir::setCurrent(previous_);
}

void ScratchSys::WriteFile(const QString& name, const QByteArray& content) {
    QFile file(dir_.path() + "/sys/" + name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(content);
}

QByteArray ScratchSys::ReadFile(const QString& name) const {
    QFile file(dir_.path() + "/sys/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
