#include "link/BatchLog.h"

#include <QFile>
#include <QStringList>

#include "link/ScanTexts.h"

namespace {
QString SettingsText(const SerialCandidate& settings) {
    return QStringLiteral("%1,%2,8,1").arg(settings.baud).arg(QChar(settings.parity));
}

QString CsvLine(const QStringList& cells) {
    QStringList fields;
    for (QString cell : cells) {
        if (cell.contains(',') || cell.contains('"') || cell.contains('\n')) {
            cell.replace('"', "\"\"");
            cell = '"' + cell + '"';
        }
        fields << cell;
    }
    return fields.join(',') + "\r\n";
}
}  // namespace

namespace BatchLog {
QStringList Columns() {
    using namespace ScanTexts;
    return {Text(LogTime),       Text(LogModel),       Text(LogOldAddress), Text(LogOldSettings),
            Text(LogNewAddress), Text(LogNewSettings), Text(LogVerified),   Text(LogReason)};
}

QStringList Cells(const BatchRecord& record, const QDateTime& time) {
    using namespace ScanTexts;
    return {time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            record.model,
            QString::number(record.oldAddress),
            SettingsText(record.oldSettings),
            QString::number(record.newAddress),
            SettingsText(record.newSettings),
            Text(record.verified ? Yes : No),
            record.reason};
}

bool CanOpen(const QString& path, QString* error) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) return true;
    if (error) *error = file.errorString();
    return false;
}

bool Append(const QString& path, const BatchRecord& record, const QDateTime& time, QString* error) {
    using namespace ScanTexts;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error) *error = file.errorString();
        return false;
    }
    QString text;
    if (file.size() == 0) text += CsvLine(Columns());
    text += CsvLine(Cells(record, time));
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
}  // namespace BatchLog
