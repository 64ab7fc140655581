#pragma once
// Failure messages show QStrings as text rather than as 2-byte objects.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
