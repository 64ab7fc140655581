#include "base/SettingsFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/FileReplace.h"

namespace SettingsFiles {
namespace {
// A settings line longer than this is garbage; reading stops there so a huge file cannot stall us.
constexpr qint64 kMaxLineBytes = 4096;

QString DecodeLine(QByteArray bytes) {
    if (bytes.endsWith('\r')) bytes.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder gb("GB18030");
    if (gb.isValid()) return gb.decode(bytes);
    return QString::fromLatin1(bytes);
}

// Never more than `count` lines can keep: a huge file costs no more than a small one.
qsizetype HeadBytes(int count) {
    return count > 0 ? count * (kMaxLineBytes + 2) : 0;
}
}  // namespace

QString SetRcPath() {
    return QStringLiteral("sys/set.rc");
}
QString Set2RcPath() {
    return QStringLiteral("sys/set2.rc");
}
QString TmRcPath() {
    return QStringLiteral("sys/tm.rc");
}
QString IconPath() {
    return QStringLiteral("sys/kv.ic");
}

QStringList ReadLines(const QString& path, int count) {
    QFile file(path);
    if (count > 0 && QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly))
        return LinesOfContent(file.read(HeadBytes(count)), count);
    return LinesOfContent(QByteArray(), count);
}

QStringList LinesOfContent(const QByteArray& content, int count) {
    QStringList lines;
    const QByteArray head = content.left(HeadBytes(count));
    qsizetype start = 0;
    while (lines.size() < count && start < head.size()) {
        qsizetype end = head.indexOf('\n', start);
        if (end < 0) end = head.size();
        // A line past the limit is cut; its rest is skipped.
        lines << DecodeLine(head.mid(start, qMin<qsizetype>(end - start, kMaxLineBytes)));
        start = end + 1;
    }
    while (lines.size() < count) lines << QString();
    return lines;
}

QByteArray ContentOfLines(const QStringList& lines) {
    QByteArray content;
    for (const QString& line : lines) content += line.toUtf8() + "\r\n";
    return content;
}

bool RewriteLines(const QString& path, const QStringList& lines) {
    if (!QFileInfo(path).isFile()) return false;
    // A link is followed: its target is the settings file.
    return FileReplace::Replace(QFileInfo(path).canonicalFilePath(), ContentOfLines(lines));
}

double LeadingNumber(const QString& text) {
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    int start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    int digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) ++i, ++digits;
    }
    if (digits == 0) return 0;
    bool ok = false;
    double value = text.mid(start, i - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

int LeadingInt(const QString& text, int low, int high) {
    return static_cast<int>(std::clamp(LeadingNumber(text), double(low), double(high)));
}

int IntervalOfTmLine(const QString& line) {
    if (line.size() < 12) return 0;
    double value = LeadingNumber(line.mid(11, 5));
    if (value < 0 || value > 65535) return 0;
    return static_cast<int>(std::lround(value));
}

QList<int> ReadIntervals() {
    QList<int> intervals;
    for (const QString& line : ReadLines(TmRcPath(), 6)) intervals << IntervalOfTmLine(line);
    return intervals;
}
}  // namespace SettingsFiles
