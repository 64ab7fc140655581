#pragma once
// The commissioning log: one CSV row per module attempt, appended and flushed as it ends, so a
// crash or a pulled plug loses nothing already logged. A new or empty file gets the header first.
#include <QDateTime>
#include <QString>

#include "core/scan/BatchSession.h"
#include "core/record/RotatingCsv.h"

namespace BatchLog {
// The column names of the log and of the batch page's table, in the current language.
QStringList Columns();
// The row's cells: time, model, old address and settings, new address and settings, verified,
// reason.
QStringList Cells(const BatchRecord& record, const QDateTime& time);
}  // namespace BatchLog

// The log of one run: the chosen file, appended to when it exists, or dated files one after
// another as `rotation` says. The file is opened for each row, so a log whose folder has gone is
// told at the next row rather than written nowhere.
class BatchLogFile {
  public:
    // Whether the first file can be appended to (it is made, empty, when missing); false with the
    // reason when it cannot.
    bool Start(const QString& path, const CsvRotation& rotation, const QDateTime& now,
               QString* error);
    // Appends the record; false with the reason when the file cannot be written.
    bool Append(const BatchRecord& record, const QDateTime& time, QString* error);
    // The file the last row went to.
    QString Path() const { return path_; }

  private:
    CsvFileChain chain_;
    QString path_;
};
