#pragma once
// The small text files in sys/ below the working directory.
#include <QString>
#include <QStringList>

namespace SettingsFiles {
QString SetRcPath();   // sys/set.rc  last-used port, baud rate, parity word
QString Set2RcPath();  // sys/set2.rc start-up switches
QString TmRcPath();    // sys/tm.rc   timer intervals
QString IconPath();    // sys/kv.ic   window icon

// The first `count` lines of a file, always `count` strings: missing lines (or a missing file)
// read as empty. Lines end in LF or CR LF; a line that is not valid UTF-8 is taken as GB18030.
QStringList ReadLines(const QString& path, int count);
// The same lines of a file's content, as ReadLines finds them in a file holding it.
QStringList LinesOfContent(const QByteArray& content, int count);
// A file's content holding `lines`: UTF-8, each line ending in CR LF.
QByteArray ContentOfLines(const QStringList& lines);

// Replaces the whole content of an existing file with `lines`, UTF-8 and CR LF, through a
// temporary file and a rename (in place where the folder takes no new file). Does nothing
// (returns false) when the file does not exist; on any failure (a full disk) the old file stays
// byte for byte.
bool RewriteLines(const QString& path, const QStringList& lines);

// The leading number of a text: blanks skipped, optional sign, digits, optional fraction.
// 0 when the text does not start with a number.
double LeadingNumber(const QString& text);
// The same, within low..high and cut to a whole number.
int LeadingInt(const QString& text, int low, int high);

// Interval of a tm.rc line: the leading number of columns 12 to 16 (counting from 1).
int IntervalOfTmLine(const QString& line);

// The first six tm.rc intervals, index 0 holding line 1.
QList<int> ReadIntervals();
}  // namespace SettingsFiles
