#include "core/scan/BatchLog.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "core/record/CsvFile.h"
#include "core/scan/ScanTexts.h"

namespace {
QString SettingsText(const SerialCandidate& settings) {
    return QStringLiteral("%1,%2,8,1").arg(settings.baud).arg(QChar(settings.parity));
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
}  // namespace BatchLog

bool BatchLogFile::Start(const QString& path, const CsvRotation& rotation, const QDateTime& now,
                         QString* error) {
    chain_.Start(path, rotation);
    path_ = chain_.NextFile(now);
    QFile file(path_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) return true;
    if (error) *error = file.errorString();
    return false;
}

bool BatchLogFile::Append(const BatchRecord& record, const QDateTime& time, QString* error) {
    const QByteArray line = Csv::Line(BatchLog::Cells(record, time));
    const qint64 size = QFileInfo(path_).size();
    // A file holding no more than its header has no rows to keep from the next one.
    const bool holdsRows = size > Csv::Header(BatchLog::Columns()).size();
    if (chain_.NeedsNextFile(size, holdsRows, line.size(), time)) path_ = chain_.NextFile(time);
    CsvAppender file;
    if (!file.OpenToAppend(path_, Csv::Header(BatchLog::Columns()), error) ||
        !file.Append(line, error))
        return false;
    // A row a module was commissioned by is worth the disk's time.
    file.Sync();
    return true;
}
