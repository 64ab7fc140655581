#include "core/record/CsvFile.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
QByteArray Field(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}
}  // namespace

namespace Csv {
QByteArray Line(const QStringList& fields) {
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += Field(fields[i]);
    }
    return line + "\r\n";
}

QByteArray Header(const QStringList& names) {
    return "\xEF\xBB\xBF" + Line(names);
}
}  // namespace Csv

bool CsvAppender::Open(const QString& path, const QByteArray& header, QString* error) {
    return OpenWith(path, QIODevice::Truncate, header, error);
}

bool CsvAppender::OpenToAppend(const QString& path, const QByteArray& header, QString* error) {
    return OpenWith(path, QIODevice::Append, header, error);
}

bool CsvAppender::OpenWith(const QString& path, QIODevice::OpenMode mode, const QByteArray& header,
                           QString* error) {
    Close();
    file_.setFileName(path);
    // Unbuffered: each line goes to the system as it is appended, so a killed program loses none.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered | mode)) {
        if (error) *error = file_.errorString();
        return false;
    }
    whole_ = file_.size();
    return whole_ > 0 || Append(header, error);
}

bool CsvAppender::Append(const QByteArray& line, QString* error) {
    if (!file_.isOpen()) return false;
    qint64 done = 0;
    while (done < line.size()) {
        // A write cut short by a limit is tried again, so the reason comes from the system.
        const qint64 written = file_.write(line.constData() + done, line.size() - done);
        if (written <= 0) break;
        done += written;
    }
    if (done == line.size()) {
        whole_ += done;
        return true;
    }
    if (error) *error = file_.errorString();
    // Shortening a file is allowed where growing it is not; on a vanished device it may fail too,
    // and then nothing more can be done about the file.
    if (done > 0) file_.resize(whole_);
    file_.close();
    return false;
}

void CsvAppender::Sync() {
    if (!file_.isOpen()) return;
#ifdef _WIN32
    ::_commit(file_.handle());
#else
    ::fdatasync(file_.handle());
#endif
}

void CsvAppender::Close() {
    if (file_.isOpen()) file_.close();
}
