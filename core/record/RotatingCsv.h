#pragma once
// A recording that may run for days: its rows go to a chain of CSV files, a new one at a size the
// user picks or at local midnight. Each file is named after the chosen one with the date and time
// of its first row before the extension (traffic_2026-12-08_14-03-00.csv), starts with the BOM
// and the header, and holds whole rows only: the row that would cross the limit starts the next
// file. Rows reach the system as they come, and the disk at least once a second, so a kill or a
// power cut leaves every file a valid CSV.
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/record/CsvFile.h"

struct CsvRotation {
    enum class Kind { Never, Midnight, Size };
    Kind kind = Kind::Never;
    qint64 bytes = 0;  // the size a file may reach, for Kind::Size

    static constexpr int kDefaultMegabytes = 10;
    static constexpr int kMaxMegabytes = 100000;
    static CsvRotation Never() { return {}; }
    static CsvRotation AtMidnight() { return {Kind::Midnight, 0}; }
    static CsvRotation EveryMegabytes(int megabytes) {
        return {Kind::Size, qint64(megabytes) * 1024 * 1024};
    }
    int Megabytes() const { return int(bytes / (1024 * 1024)); }
    bool operator==(const CsvRotation&) const = default;
};

namespace CsvRotationText {
// How the last choice is kept: the kind (0 never, 1 midnight, 2 size) and the megabytes, a line
// each. Garbled or missing lines read as "never" and the default size.
QStringList Encode(const CsvRotation& rotation);
CsvRotation Decode(const QStringList& lines);
// sys/rec.rc, beside the program's other remembered values.
QString Path();
CsvRotation Remembered();
void Remember(const CsvRotation& rotation);
}  // namespace CsvRotationText

// `chosen` with "_yyyy-MM-dd_HH-mm-ss" (and "_002", "_003"... for the `clash`-th file of one
// second) before its extension; a name without an extension gets ".csv".
QString RotatedPath(const QString& chosen, const QDateTime& start, int clash = 1);

// Which file of a rotating recording a row goes to: the one rule for the recorders that hold
// their file open and for the batch log, which opens its file for each row.
class CsvFileChain {
  public:
    void Start(const QString& chosen, const CsvRotation& rotation);
    // The next file at `now`: the chosen one itself when the rotation is Never, else its dated
    // name, one that no file has yet (two files may start within one second).
    QString NextFile(const QDateTime& now);
    // Whether a row of `lineSize` bytes at `now` must start the next file, the current one
    // holding `size` bytes and, or not, rows after its header.
    bool NeedsNextFile(qint64 size, bool holdsRows, qint64 lineSize, const QDateTime& now) const;

  private:
    QString chosen_;
    CsvRotation rotation_;
    QDateTime nextMidnight_;
};

class RotatingCsv {
  public:
    using Clock = std::function<QDateTime()>;
    RotatingCsv();

    // Local time; tests put their own clock here to cross midnight without waiting.
    void SetClock(Clock clock);
    // Starts the first file: `chosen` itself when the rotation is Never (created or emptied),
    // else its dated name. False with the reason.
    bool Open(const QString& chosen, const QByteArray& header, const CsvRotation& rotation,
              QString* error);
    // Appends one whole line, first starting the next file when the line would cross the size
    // limit or midnight has passed. False with the reason when a file could not be made or
    // written; the recording is closed then, every file ending at its last whole row.
    bool Append(const QByteArray& line, QString* error);
    void Close();
    bool IsOpen() const { return file_ && file_->IsOpen(); }
    // The file being written, or the last one written; the one it tried to make when that
    // failed, so a message can name it.
    QString Path() const {
        return !failed_.isEmpty() ? failed_ : file_ ? file_->Path() : QString();
    }

  private:
    bool StartFile(const QDateTime& now, QString* error);
    void SyncSoon();
    void Sync();

    std::unique_ptr<CsvAppender> file_;
    Clock clock_;
    CsvFileChain chain_;
    QByteArray header_;
    QString failed_;  // the file that could not be made
    bool holdsRows_ = false;
    QElapsedTimer sinceSync_;
    QTimer syncTimer_;  // syncs the rows of a quiet second
};
