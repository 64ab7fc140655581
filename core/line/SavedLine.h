#pragma once
// What sys/set.rc keeps of the line a panel last used, apart from the lists that show it.
#include <QString>
#include <QStringList>

// The port list's fixed entries: COM1..COM20.
constexpr int kComPortCount = 20;

struct SavedLine {
    int comIndex = -1;  // the port list's COMn entry (n - 1); -1 when the port is none of them
    QString port;       // the port list's text: "COMn", or the device path kept on line 4
    QString baud;
    QString parity;
};

namespace SavedLineText {
// The line that set.rc's first four lines name. Tolerates garbled and missing lines.
SavedLine Decode(const QStringList& lines);
// set.rc's lines for a device and the baud and parity texts: the n of a COMn port (0 otherwise),
// baud, parity, and on a fourth line the path of a device that is not COMn, which older readers
// skip.
QStringList Encode(const QString& device, const QString& baud, const QString& parity);
}  // namespace SavedLineText
