// Port names on POSIX: "COMn" leads to a link an installation made, or to the n-th built-in port.
#include <QFileInfo>

#include "core/line/PortNames.h"

namespace PortNames {
QString DevicePath(const QString& name) {
    if (name.contains('/')) return name;
    const auto number = ComNumber(name);
    if (!number) return name;
    // The link keeps the digits as typed: "COM01" is sys/COM01.
    const QString link = QStringLiteral("sys/") + name.toUpper();
    if (QFileInfo::exists(link) || QFileInfo(link).isSymLink()) return link;
    return QStringLiteral("/dev/ttyS%1").arg(*number - 1);
}
}  // namespace PortNames
