// Replacing a file on POSIX: mkstemp, fsync and rename; posix_fallocate before a rewrite in place.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdlib>

#include "base/FileReplace.h"

namespace {
bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += got;
    }
    return true;
}

// A new file beside the old one, renamed over it only once every byte is on the disk.
enum class Outcome { Written, Failed, NoTemporary };
Outcome ReplaceThroughTemporary(const QByteArray& path, const QByteArray& content, mode_t mode) {
    QByteArray temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return Outcome::NoTemporary;
    const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
    if (::close(fd) == 0 && written && ::rename(temporary.constData(), path.constData()) == 0)
        return Outcome::Written;
    ::unlink(temporary.constData());
    return Outcome::Failed;
}

// Where the folder refuses a new file but the file itself may be written: its blocks are claimed
// first, so a full disk fails before a single old byte is overwritten.
bool RewriteInPlace(const QByteArray& path, const QByteArray& content, off_t oldSize) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok =
        content.size() <= oldSize || ::posix_fallocate(fd, oldSize, content.size() - oldSize) == 0;
    ok = ok && WriteAll(fd, content) && ::ftruncate(fd, content.size()) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}
}  // namespace

namespace FileReplace {
bool Replace(const QString& path, const QByteArray& content) {
    const QByteArray native = QFile::encodeName(path);
    struct stat old {};
    if (::stat(native.constData(), &old) != 0) return false;
    switch (ReplaceThroughTemporary(native, content, old.st_mode & 07777)) {
        case Outcome::Written:
            return true;
        case Outcome::Failed:
            return false;
        case Outcome::NoTemporary:
            return RewriteInPlace(native, content, old.st_size);
    }
    return false;
}
}  // namespace FileReplace
