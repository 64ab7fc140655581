#include "sim/PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/line/SerialLineSettings.h"

PtyLine::PtyLine(const std::string& linkPath) : linkPath_(linkPath) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error_ = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return;
    }
    slavePath_ = ::ptsname(master_);
    struct stat info;
    if (::lstat(linkPath.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error_ = linkPath + " exists and is not a link; not replacing it";
            return;
        }
        ::unlink(linkPath.c_str());
    }
    if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
        error_ = "cannot make the link " + linkPath + ": " + std::strerror(errno);
        return;
    }
    linked_ = true;
}

PtyLine::~PtyLine() {
    if (linked_) {
        // Only our own link goes: another run may have taken the path over meanwhile.
        char target[4096];
        const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, n) == slavePath_) ::unlink(linkPath_.c_str());
    }
    if (master_ >= 0) ::close(master_);
}

void PtyLine::MakeTap() {
    termios raw{};
    if (::tcgetattr(master_, &raw) == 0) {  // on a master this is the slave's setting
        ::cfmakeraw(&raw);
        ::tcsetattr(master_, TCSANOW, &raw);
    }
    // A slave never opened does not show as hung up; one opened and closed does.
    const int slave = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slave >= 0) ::close(slave);
}

bool PtyLine::Held() const {
    pollfd fd{master_, POLLOUT, 0};
    return ::poll(&fd, 1, 0) >= 0 && !(fd.revents & (POLLHUP | POLLERR));
}

LineState PtyLine::Line() const {
    LineState line;
    if (ReadLineSettings(master_, &line.baud, &line.oddParity) != 0) line = LineState{};
    return line;
}

ssize_t PtyLine::Read(uint8_t* buffer, size_t size) {
    const ssize_t got = ::read(master_, buffer, size);
    if (got > 0) return got;
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    return -1;  // EIO: no one holds the slave end
}

void PtyLine::Write(const Frame& bytes) {
    if (!bytes.empty()) (void)!::write(master_, bytes.data(), bytes.size());
}
