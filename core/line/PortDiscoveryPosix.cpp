// The system's list of serial devices on POSIX: Qt's, with the stable by-id links udev makes
// for USB adapters.
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

#include "core/line/PortDiscovery.h"

namespace PortDiscovery {
QList<DiscoveredPort> SystemPorts(const QString& byIdFolder) {
    // Device -> its by-id link; the first name in order when an adapter has several.
    QHash<QString, QString> stable;
    const QFileInfoList links =
        QDir(byIdFolder)
            .entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !stable.contains(target))
            stable.insert(target, link.absoluteFilePath());
    }
    QList<DiscoveredPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        DiscoveredPort port;
        port.path = info.systemLocation();
        port.stableName = stable.value(QFileInfo(port.path).canonicalFilePath());
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        port.usb = info.hasVendorIdentifier();
        ports << port;
    }
    std::sort(ports.begin(), ports.end(),
              [](const DiscoveredPort& a, const DiscoveredPort& b) { return a.path < b.path; });
    return ports;
}
}  // namespace PortDiscovery
