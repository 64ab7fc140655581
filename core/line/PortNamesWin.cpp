// Port names on Windows: "COMn" is the device itself.
#include "core/line/PortNames.h"

namespace PortNames {
QString DevicePath(const QString& name) {
    QString device = name.trimmed();
    if (device.startsWith(QStringLiteral("\\\\.\\"))) device = device.mid(4);
    // One port, however it is written: "com5" and "\\.\COM5" are COM5.
    if (ComNumber(device)) return device.toUpper();
    return name;
}
}  // namespace PortNames
