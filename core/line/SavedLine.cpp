#include "core/line/SavedLine.h"

#include "base/SettingsFiles.h"
#include "core/line/PortNames.h"

namespace SavedLineText {
SavedLine Decode(const QStringList& lines) {
    const auto line = [&](int i) { return i < lines.size() ? lines[i] : QString(); };
    SavedLine saved;
    const QString portLine = line(0).trimmed();
    const int port = SettingsFiles::LeadingInt(portLine, -99999, 99999);
    saved.comIndex = port >= 1 && port <= kComPortCount ? port - 1 : -1;
    const QString device = line(3).trimmed();
    if (port == 0 && !portLine.isEmpty() && !device.isEmpty())
        saved.port = device;
    else
        saved.port =
            QStringLiteral("COM") + (portLine.isEmpty() ? QString() : QString::number(port));
    saved.baud = line(1);
    saved.parity = line(2);
    return saved;
}

QStringList Encode(const QString& device, const QString& baud, const QString& parity) {
    // A "COMn" port, picked or typed, is kept as n; a device path as 0, and itself on line 4.
    const auto number = PortNames::ComNumber(device);
    QStringList lines{QString::number(number.value_or(0)), baud, parity};
    if (!number && device.contains('/')) lines << device;
    return lines;
}
}  // namespace SavedLineText
