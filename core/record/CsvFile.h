#pragma once
// CSV as the program writes it: UTF-8 with a byte-order mark (so spreadsheets read the Chinese
// texts), a field quoted only where it must be, CR LF. And a file that takes each line as it
// comes, so a spreadsheet can open it while lines go on being added.
#include <QFile>
#include <QString>
#include <QStringList>

namespace Csv {
// One line of fields, CR LF at its end.
QByteArray Line(const QStringList& fields);
// The byte-order mark and the line of column names.
QByteArray Header(const QStringList& names);
}  // namespace Csv

// A file that gets every line straight from the program, nothing held back in a buffer. A line
// that cannot be written whole (a full disk, a stick pulled) is taken back, so the file ends at
// its last whole line, and the file is closed.
class CsvAppender {
  public:
    // Creates or empties `path` and writes `header`; false with the reason.
    bool Open(const QString& path, const QByteArray& header, QString* error);
    // Opens `path` to go on at its end, writing `header` first only when it is new or empty.
    bool OpenToAppend(const QString& path, const QByteArray& header, QString* error);
    // False with the reason when the line could not be written; the file is closed then.
    bool Append(const QByteArray& line, QString* error);
    void Close();
    // Asks the system to put the written lines on the disk (they are in its hands already, safe
    // from a kill of the program, not yet from a power cut).
    void Sync();
    bool IsOpen() const { return file_.isOpen(); }
    qint64 Size() const { return whole_; }
    QString Path() const { return file_.fileName(); }

  private:
    bool OpenWith(const QString& path, QIODevice::OpenMode mode, const QByteArray& header,
                  QString* error);

    QFile file_;
    qint64 whole_ = 0;  // bytes up to the end of the last whole line
};
