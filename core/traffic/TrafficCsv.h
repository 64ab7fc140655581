#pragma once
// Traffic rows as CSV: UTF-8 with a byte-order mark (so spreadsheets read the Chinese texts),
// one line per frame, CR LF, the monitor's columns in the language in use.
#include <QString>
#include <functional>

#include "core/record/CsvFile.h"
#include "core/record/RotatingCsv.h"
#include "core/traffic/TrafficRow.h"

namespace TrafficCsv {
QByteArray Header(bool english);  // the BOM and the column names
QByteArray Line(const TrafficRow& row, bool english);
// Writes the header and `count` rows got from `row` to `path`; false with the reason.
bool Save(const QString& path, int count, const std::function<const TrafficRow&(int)>& row,
          bool english, QString* error);
}  // namespace TrafficCsv

// Files that get every row as it comes, the next one started as `rotation` says; a failed write
// is told once and ends the recording, the rows before it left whole.
class TrafficRecorder {
  public:
    bool Open(const QString& path, bool english, QString* error,
              const CsvRotation& rotation = CsvRotation::Never());
    // False (with the reason) when the row could not be written.
    bool Write(const TrafficRow& row, bool english, QString* error);
    QString Path() const { return file_.Path(); }

  private:
    RotatingCsv file_;
};
