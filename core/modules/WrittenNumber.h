#pragma once
// The register number and value a technician types for a write.
#include <QString>
#include <optional>

// The whole text, blanks around it aside, must be a number: an optional sign, digits and an
// optional fraction, or &H and hexadecimal digits. Full-width characters count as their ASCII
// forms. A fraction is rounded to the nearest whole number, halves to the even one. Nothing for
// any other text, empty included, and when the result is outside 0..65535, since a register
// number and a register value are 16 bits.
std::optional<int> RegisterNumberOfText(const QString& text);
