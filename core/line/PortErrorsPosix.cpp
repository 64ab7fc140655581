// Why a device could not be opened, on POSIX: errno values, file modes and groups, /proc.
#include "core/line/PortErrors.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "core/line/SystemErrors.h"

namespace PortErrors {
namespace {
bool SameDevice(const QString& path, dev_t device) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISCHR(status.st_mode) &&
           status.st_rdev == device;
}
}  // namespace

std::optional<QString> AccessGroup(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0 && status.st_gid != 0 &&
        (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        if (const group* owner = ::getgrgid(status.st_gid))
            return QString::fromLocal8Bit(owner->gr_name);
    }
    return std::nullopt;
}

QStringList Holders(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISCHR(status.st_mode))
        return {};
    const QString self = QString::number(::getpid());
    QStringList holders;
    const QStringList processes = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : processes) {
        if (pid == self || pid.toInt() <= 0) continue;
        const QString fds = "/proc/" + pid + "/fd";
        for (const QString& fd : QDir(fds).entryList(QDir::System | QDir::NoDotAndDotDot)) {
            if (!SameDevice(fds + "/" + fd, status.st_rdev)) continue;
            QFile comm("/proc/" + pid + "/comm");
            QString name = comm.open(QIODevice::ReadOnly)
                               ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                               : QString();
            holders << QStringLiteral("%1 (PID %2)").arg(name.isEmpty() ? "?" : name, pid);
            break;
        }
    }
    return holders;
}
}  // namespace PortErrors

namespace SystemErrors {
int InvalidSettings() {
    return EINVAL;
}

int NoSuchDevice() {
    return ENODEV;
}

QString Text(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

OpenFailure OpenFailureOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return OpenFailure::NoAccess;
        case EBUSY:
        case EWOULDBLOCK:
            return OpenFailure::Busy;
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTTY:
        case EISDIR:
        case ENOTDIR:
            return OpenFailure::Missing;
        default:
            return OpenFailure::Other;
    }
}
}  // namespace SystemErrors
