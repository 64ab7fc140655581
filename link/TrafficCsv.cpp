#include "link/TrafficCsv.h"

#include "link/TrafficTexts.h"

namespace {
QByteArray Field(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

QByteArray Joined(const QStringList& fields) {
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += Field(fields[i]);
    }
    return line + "\r\n";
}
}  // namespace

namespace TrafficCsv {
QByteArray Header(bool english) {
    return "\xEF\xBB\xBF" + Joined(TrafficTexts::ColumnNames(english));
}

QByteArray Line(const TrafficRow& row, bool english) {
    QStringList fields;
    for (int column = 0; column < TrafficTexts::ColumnCount; ++column)
        fields << TrafficTexts::Cell(row, column, english);
    return Joined(fields);
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

bool TrafficRecorder::Open(const QString& path, bool english, QString* error) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = file_.errorString();
        return false;
    }
    // Nothing is buffered past a row: an overnight record survives the program being killed.
    if (file_.write(TrafficCsv::Header(english)) < 0 || !file_.flush()) {
        if (error) *error = file_.errorString();
        file_.close();
        return false;
    }
    return true;
}

bool TrafficRecorder::Write(const TrafficRow& row, bool english, QString* error) {
    if (file_.write(TrafficCsv::Line(row, english)) >= 0 && file_.flush()) return true;
    if (error) *error = file_.errorString();
    return false;
}
