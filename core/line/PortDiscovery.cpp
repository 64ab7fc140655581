#include "core/line/PortDiscovery.h"

#include <QRegularExpression>
#include <QSet>

#include "base/TextTable.h"

namespace PortDiscovery {
namespace {
const QString kSeparator = QStringLiteral(" — ");

// What the system knows of a device, in words a technician recognises.
QString Describe(const DiscoveredPort& port) {
    QStringList parts;
    QString what = port.description.trimmed();
    const QString kernelName = port.path.section('/', -1);
    static const QRegularExpression builtIn("^ttyS([0-9]+)$");
    const auto builtInMatch = builtIn.match(kernelName);
    if (what.isEmpty() && port.usb) what = Tt(TextKey::PortUsbAdapter);
    if (what.isEmpty() && builtInMatch.hasMatch())
        what = Tt(TextKey::PortBuiltIn) +
               QStringLiteral(" (COM%1)").arg(builtInMatch.captured(1).toInt() + 1);
    const QString maker = port.manufacturer.trimmed();
    if (!maker.isEmpty() && !what.contains(maker, Qt::CaseInsensitive))
        what = what.isEmpty() ? maker : what + " (" + maker + ")";
    if (!what.isEmpty()) parts << what;
    if (!port.serialNumber.trimmed().isEmpty())
        parts << Tt(TextKey::PortSerialNumber).arg(port.serialNumber.trimmed());
    // The stable name hides which socket it sits in now; the kernel name says it.
    if (!port.stableName.isEmpty()) parts << Tt(TextKey::PortNow).arg(port.path);
    return parts.join(QStringLiteral(", "));
}
}  // namespace

QList<PortEntry> Entries(const QList<DiscoveredPort>& ports) {
    QList<PortEntry> entries;
    QSet<QString> seen;
    for (const DiscoveredPort& port : ports) {
        const QString device = port.stableName.isEmpty() ? port.path : port.stableName;
        if (device.isEmpty() || seen.contains(device)) continue;
        seen.insert(device);
        const QString words = Describe(port);
        entries << PortEntry{words.isEmpty() ? device : device + kSeparator + words, device};
    }
    return entries;
}

QString DeviceOfText(const QString& text) {
    const qsizetype cut = text.indexOf(kSeparator);
    return (cut < 0 ? text : text.left(cut)).trimmed();
}
}  // namespace PortDiscovery
