#pragma once
// Failed comparisons show texts, not bytes. Every test file of this program includes it, so all
// of them print a QString the same way.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
