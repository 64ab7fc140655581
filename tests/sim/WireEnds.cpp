#include "tests/sim/WireEnds.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>

WireEnd::~WireEnd() {
    Close();
}

void WireEnd::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void WireEnd::Write(const QByteArray& bytes) {
    if (fd_ >= 0) (void)!::write(fd_, bytes.constData(), bytes.size());
}

QByteArray WireEnd::Read(int count, int ceilingMs) {
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    while (fd_ >= 0 && bytes.size() < count) {
        const int left = ceilingMs - static_cast<int>(clock.elapsed());
        if (left <= 0) break;
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, left) <= 0) break;
        char chunk[512];
        const ssize_t got =
            ::read(fd_, chunk, std::min<size_t>(sizeof chunk, count - bytes.size()));
        if (got <= 0) break;
        bytes.append(chunk, static_cast<int>(got));
    }
    return bytes;
}

QByteArray WireEnd::Waiting() {
    QByteArray bytes;
    pollfd pfd{fd_, POLLIN, 0};
    while (fd_ >= 0 && ::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN)) {
        char chunk[512];
        const ssize_t got = ::read(fd_, chunk, sizeof chunk);
        if (got <= 0) break;
        bytes.append(chunk, static_cast<int>(got));
    }
    return bytes;
}

TtyEnd::TtyEnd(const QString& path, int baud) {
    fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios line{};
    if (fd_ < 0 || ::tcgetattr(fd_, &line) != 0) return;
    ::cfmakeraw(&line);
    if (baud == 9600) ::cfsetspeed(&line, B9600);
    if (baud == 19200) ::cfsetspeed(&line, B19200);
    ::tcsetattr(fd_, TCSANOW, &line);
}

TcpEnd::TcpEnd(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        Close();
}

QByteArray WithBrokenCrc(QByteArray frame) {
    if (!frame.isEmpty()) frame.back() = static_cast<char>(frame.back() ^ 0x01);
    return frame;
}
