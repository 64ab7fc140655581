#pragma once
// The serial devices present, as entries of a port list. Finding them is a seam (the system's
// discovery, or a test's list); turning them into entries is plain logic.
#include <QList>
#include <QString>
#include <functional>

// One device as the system describes it.
struct DiscoveredPort {
    QString path;          // kernel name, e.g. /dev/ttyUSB0
    QString stableName;    // /dev/serial/by-id/... link to it, empty when there is none
    QString description;   // e.g. "FT232R USB UART"; may be empty
    QString manufacturer;  // e.g. "FTDI"; may be empty
    QString serialNumber;  // may be empty
    bool usb = false;      // the device has a USB vendor id
};

// One entry of a port list: the text shown, and the device that text opens.
struct PortEntry {
    QString text;  // "/dev/serial/by-id/usb-FTDI_... — FT232R USB UART (FTDI), serial number ..."
    QString device;  // what the serial layer is given: the stable name where there is one
};

namespace PortDiscovery {
using Source = std::function<QList<DiscoveredPort>()>;

// The entries for the devices, in the order given, in the current language. A device listed
// twice (by two links) is listed once.
QList<PortEntry> Entries(const QList<DiscoveredPort>& ports);

// The device a port-list text names: the text up to " — ", blanks trimmed; a typed name as it is.
QString DeviceOfText(const QString& text);

// The devices present now, from the installed source.
QList<DiscoveredPort> Discover();
// Installs a source (nullptr: the system's again). Returns the one it replaces.
Source SetSource(Source source);
// The system's discovery: Qt's port list, with the by-id links found in `byIdFolder`.
QList<DiscoveredPort> SystemPorts(const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));
}  // namespace PortDiscovery
