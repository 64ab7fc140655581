#pragma once
// The settings targets' input: the contents of sys/set.rc, sys/set2.rc and sys/tm.rc, in that
// order, separated by "%%%". A file the input does not reach is missing.
#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

inline QList<QByteArray> SettingsFilesOfInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QList<QByteArray> files;
    qsizetype from = 0;
    for (qsizetype at; files.size() < 2 && (at = input.indexOf("%%%", from)) >= 0; from = at + 3)
        files << input.mid(from, at - from);
    files << input.mid(from);
    return files;
}
