#include "core/traffic/TrafficCsv.h"

#include "core/traffic/TrafficTexts.h"

namespace TrafficCsv {
QByteArray Header(bool english) {
    return Csv::Header(TrafficTexts::ColumnNames(english));
}

QByteArray Line(const TrafficRow& row, bool english) {
    QStringList fields;
    for (int column = 0; column < TrafficTexts::ColumnCount; ++column)
        fields << TrafficTexts::Cell(row, column, english);
    return Csv::Line(fields);
}

bool Save(const QString& path, int count, const std::function<const TrafficRow&(int)>& row,
          bool english, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = file.errorString();
        return false;
    }
    bool ok = file.write(Header(english)) >= 0;
    for (int i = 0; ok && i < count; ++i) ok = file.write(Line(row(i), english)) >= 0;
    ok = ok && file.flush();
    if (!ok && error) *error = file.errorString();
    return ok;
}
}  // namespace TrafficCsv

bool TrafficRecorder::Open(const QString& path, bool english, QString* error,
                           const CsvRotation& rotation) {
    return file_.Open(path, TrafficCsv::Header(english), rotation, error);
}

bool TrafficRecorder::Write(const TrafficRow& row, bool english, QString* error) {
    return file_.Append(TrafficCsv::Line(row, english), error);
}
