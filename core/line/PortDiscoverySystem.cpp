// The system's side of port discovery: Qt's list of serial devices and the stable by-id links
// udev makes for USB adapters. Listing only: opening stays in the serial layer. On Windows a
// port is its COMn name, the device itself, and the words are the driver's ("USB-SERIAL CH340").
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

#include "core/line/PortDiscovery.h"
#include "core/line/PortNames.h"

namespace PortDiscovery {
namespace {
Source& Installed() {
    static Source source;
    return source;
}
}  // namespace

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
        // The name the serial layer opens it by: a path on POSIX, COMn on Windows.
        port.path = PortNames::DevicePath(info.systemLocation());
        port.stableName = stable.value(QFileInfo(port.path).canonicalFilePath());
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        port.usb = info.hasVendorIdentifier();
        ports << port;
    }
    // COM2 before COM10; paths by name.
    std::sort(ports.begin(), ports.end(), [](const DiscoveredPort& a, const DiscoveredPort& b) {
        const auto na = PortNames::ComNumber(a.path), nb = PortNames::ComNumber(b.path);
        if (na && nb) return *na < *nb;
        if (na || nb) return na.has_value();
        return a.path < b.path;
    });
    return ports;
}

QList<DiscoveredPort> Discover() {
    return Installed() ? Installed()() : SystemPorts();
}

Source SetSource(Source source) {
    Source old = std::move(Installed());
    Installed() = std::move(source);
    return old;
}
}  // namespace PortDiscovery
