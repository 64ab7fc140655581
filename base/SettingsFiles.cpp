#include "base/SettingsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <cmath>

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
    QStringList lines;
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly)) {
        while (lines.size() < count && !file.atEnd()) {
            QByteArray raw;
            // Read up to the line feed; a line past the limit is cut and the rest skipped.
            while (!file.atEnd()) {
                char c;
                if (!file.getChar(&c)) break;
                if (c == '\n') break;
                if (raw.size() < kMaxLineBytes) raw.append(c);
            }
            lines << DecodeLine(raw);
        }
    }
    while (lines.size() < count) lines << QString();
    return lines;
}

bool RewriteLines(const QString& path, const QStringList& lines) {
    if (!QFileInfo(path).isFile()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    for (const QString& line : lines) {
        file.write(line.toUtf8());
        file.write("\r\n");
    }
    return file.commit();
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
