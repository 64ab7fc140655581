#pragma once
// The commissioning log: one CSV row per module attempt, appended and flushed as it ends, so a
// crash or a pulled plug loses nothing already logged. A new or empty file gets the header first.
#include <QDateTime>
#include <QString>

#include "link/BatchSession.h"

namespace BatchLog {
// The column names of the log and of the batch page's table, in the current language.
QStringList Columns();
// The row's cells: time, model, old address and settings, new address and settings, verified,
// reason.
QStringList Cells(const BatchRecord& record, const QDateTime& time);
// Whether the log can be appended to (the file is made when missing, empty); false with the
// reason when it cannot.
bool CanOpen(const QString& path, QString* error);
// Appends the record; false with the reason when the file cannot be written.
bool Append(const QString& path, const BatchRecord& record, const QDateTime& time, QString* error);
}  // namespace BatchLog
