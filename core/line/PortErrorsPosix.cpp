// Why a device could not be opened, on POSIX: errno values, file modes and groups, /proc.
#include "core/line/PortErrors.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "base/TextTable.h"
#include "core/line/SystemErrors.h"

namespace PortErrors {
namespace {
bool SameDevice(const QString& path, dev_t device) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISCHR(status.st_mode) &&
           status.st_rdev == device;
}

QString NoAccess(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0 && status.st_gid != 0 &&
        (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        if (const group* owner = ::getgrgid(status.st_gid))
            return Tt(TextKey::MsgPortNoAccessGroup)
                .arg(path, QString::fromLocal8Bit(owner->gr_name));
    }
    // Only root may open it (or its group is root's): joining a group would not help.
    return Tt(TextKey::MsgPortNoAccess).arg(path);
}
}  // namespace

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

QString Explain(const QString& path, int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return NoAccess(path);
        case EBUSY:
        case EWOULDBLOCK: {
            const QStringList holders = Holders(path);
            return holders.isEmpty()
                       ? Tt(TextKey::MsgPortBusy).arg(path)
                       : Tt(TextKey::MsgPortBusyBy).arg(path, holders.join(QStringLiteral(", ")));
        }
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTTY:
        case EISDIR:
        case ENOTDIR:
            return Tt(TextKey::MsgPortMissing).arg(path);
        default:
            return Tt(TextKey::MsgPortOtherError).arg(path, SystemErrors::Text(error));
    }
}
}  // namespace PortErrors

namespace SystemErrors {
int InvalidSettings() {
    return EINVAL;
}

QString Text(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
}  // namespace SystemErrors
