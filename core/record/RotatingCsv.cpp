#include "core/record/RotatingCsv.h"

#include <QFile>
#include <QFileInfo>

#include "base/SettingsFiles.h"

namespace {
// A power cut loses at most this much of a recording.
constexpr int kSyncMs = 1000;

QDateTime SystemClock() {
    return QDateTime::currentDateTime();
}

QDateTime NextMidnight(const QDateTime& time) {
    return QDateTime(time.date().addDays(1), QTime(0, 0));
}
}  // namespace

namespace CsvRotationText {
QStringList Encode(const CsvRotation& rotation) {
    const int megabytes = rotation.kind == CsvRotation::Kind::Size ? rotation.Megabytes()
                                                                   : CsvRotation::kDefaultMegabytes;
    return {QString::number(int(rotation.kind)), QString::number(megabytes)};
}

CsvRotation Decode(const QStringList& lines) {
    const int kind = SettingsFiles::LeadingInt(lines.value(0), 0, 2);
    const int megabytes = SettingsFiles::LeadingInt(lines.value(1), 0, CsvRotation::kMaxMegabytes);
    if (kind == int(CsvRotation::Kind::Midnight)) return CsvRotation::AtMidnight();
    if (kind == int(CsvRotation::Kind::Size))
        return CsvRotation::EveryMegabytes(megabytes > 0 ? megabytes
                                                         : CsvRotation::kDefaultMegabytes);
    return CsvRotation::Never();
}

QString Path() {
    return QStringLiteral("sys/rec.rc");
}

CsvRotation Remembered() {
    return Decode(SettingsFiles::ReadLines(Path(), 2));
}

void Remember(const CsvRotation& rotation) {
    // The file is the program's own, made the first time a choice is kept.
    if (!QFileInfo::exists(Path())) {
        QFile file(Path());
        if (!file.open(QIODevice::WriteOnly)) return;
    }
    SettingsFiles::RewriteLines(Path(), Encode(rotation));
}
}  // namespace CsvRotationText

QString RotatedPath(const QString& chosen, const QDateTime& start, int clash) {
    const qsizetype nameStart = chosen.lastIndexOf('/') + 1;
    const qsizetype dot = chosen.lastIndexOf('.');
    // A leading dot is a hidden file's name, not an extension.
    const bool hasExtension = dot > nameStart && dot < chosen.size() - 1;
    const QString stem = hasExtension ? chosen.left(dot) : chosen;
    const QString extension = hasExtension ? chosen.mid(dot) : QStringLiteral(".csv");
    QString path = stem + '_' + start.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    // Padded, so that files of one second sort by name in the order they were made.
    if (clash > 1) path += QStringLiteral("_%1").arg(clash, 3, 10, QChar('0'));
    return path + extension;
}

void CsvFileChain::Start(const QString& chosen, const CsvRotation& rotation) {
    chosen_ = chosen;
    rotation_ = rotation;
    if (rotation_.kind == CsvRotation::Kind::Size && rotation_.bytes <= 0)
        rotation_ = CsvRotation::Never();
}

QString CsvFileChain::NextFile(const QDateTime& now) {
    nextMidnight_ = NextMidnight(now);
    if (rotation_.kind == CsvRotation::Kind::Never) return chosen_;
    QString path;
    for (int clash = 1; QFileInfo::exists(path = RotatedPath(chosen_, now, clash)); ++clash) {
    }
    return path;
}

bool CsvFileChain::NeedsNextFile(qint64 size, bool holdsRows, qint64 lineSize,
                                 const QDateTime& now) const {
    switch (rotation_.kind) {
        case CsvRotation::Kind::Never:
            return false;
        case CsvRotation::Kind::Midnight:
            return now >= nextMidnight_;
        case CsvRotation::Kind::Size:
            // A row longer than the limit itself still goes whole into a file of its own.
            return holdsRows && size + lineSize > rotation_.bytes;
    }
    return false;
}

RotatingCsv::RotatingCsv() : clock_(&SystemClock) {
    syncTimer_.setSingleShot(true);
    QObject::connect(&syncTimer_, &QTimer::timeout, [this] { Sync(); });
}

void RotatingCsv::SetClock(Clock clock) {
    clock_ = clock ? std::move(clock) : &SystemClock;
}

bool RotatingCsv::Open(const QString& chosen, const QByteArray& header, const CsvRotation& rotation,
                       QString* error) {
    Close();
    chain_.Start(chosen, rotation);
    header_ = header;
    return StartFile(clock_(), error);
}

bool RotatingCsv::StartFile(const QDateTime& now, QString* error) {
    const QString path = chain_.NextFile(now);
    // The next file is made before the last is let go: a file that cannot be made ends the
    // recording with the last one whole.
    auto next = std::make_unique<CsvAppender>();
    if (!next->Open(path, header_, error)) {
        Close();
        failed_ = path;
        return false;
    }
    failed_.clear();
    Close();
    file_ = std::move(next);
    holdsRows_ = false;
    sinceSync_.start();
    return true;
}

bool RotatingCsv::Append(const QByteArray& line, QString* error) {
    if (!IsOpen()) return false;
    const QDateTime now = clock_();
    if (chain_.NeedsNextFile(file_->Size(), holdsRows_, line.size(), now) && !StartFile(now, error))
        return false;
    if (!file_->Append(line, error)) {
        Close();
        return false;
    }
    holdsRows_ = true;
    SyncSoon();
    return true;
}

void RotatingCsv::SyncSoon() {
    if (sinceSync_.elapsed() >= kSyncMs) return Sync();
    // A quiet recording still reaches the disk within the second.
    if (!syncTimer_.isActive()) syncTimer_.start(kSyncMs - int(sinceSync_.elapsed()));
}

void RotatingCsv::Sync() {
    syncTimer_.stop();
    if (file_) file_->Sync();
    sinceSync_.start();
}

void RotatingCsv::Close() {
    if (!IsOpen()) return;
    Sync();
    file_->Close();
}
