#include "tests/support/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <stdexcept>

#include "link/Modbus.h"
#include "link/SerialLineSettings.h"

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

void PtyPeer::Write(const QByteArray& bytes) {
    if (master_ >= 0 && !bytes.isEmpty()) (void)!::write(master_, bytes.constData(), bytes.size());
    // Let the bytes reach the slave's queue before the test reads there.
    ::usleep(2000);
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
