#include "core/line/PortErrors.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "base/TextTable.h"
#include "core/line/NetLine.h"

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
            return Tt(TextKey::MsgPortOtherError)
                .arg(path, QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString ExplainConnect(const QString& name, NetFailure failure, int error) {
    switch (failure) {
        case NetFailure::BadAddress:
            return Tt(TextKey::MsgNetBadAddress).arg(name);
        case NetFailure::NameNotFound:
            return Tt(TextKey::MsgNetNameNotFound).arg(name);
        case NetFailure::Refused:
            return Tt(TextKey::MsgNetRefused).arg(name);
        case NetFailure::TimedOut:
            return Tt(TextKey::MsgNetTimedOut)
                .arg(name)
                .arg(NetLine::kConnectTimeoutMs / 1000.0, 0, 'g', 3);
        case NetFailure::NoLineSettings:
            return Tt(TextKey::MsgNetNoLineSettings).arg(name);
        case NetFailure::Other:
            break;
    }
    return Tt(TextKey::MsgNetOtherError).arg(name, QString::fromLocal8Bit(std::strerror(error)));
}
QString ExplainSettingsRefused(const QString& name, const QString& asked,
                               const QString& acknowledged) {
    return Tt(TextKey::MsgNetSettingsRefused).arg(name, asked, acknowledged);
}
}  // namespace PortErrors
