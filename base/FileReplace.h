#pragma once
// Replacing a file's contents so that an interrupted or failed write never leaves it cut short or
// lost: a new file beside it, renamed over it once every byte is on the disk; where the folder
// refuses a new file but the file may be written, the file rewritten in place with its room
// claimed first, so a full disk fails before an old byte is overwritten. On this system's calls.
#include <QByteArray>
#include <QString>

namespace FileReplace {
// Replaces the contents of the existing file `path` (no link) with `content`.
bool Replace(const QString& path, const QByteArray& content);
}  // namespace FileReplace
