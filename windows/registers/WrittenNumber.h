#pragma once
// The register number and value a technician types for a write.
#include <QString>
#include <optional>

// Read from the start of the text: blanks, an optional sign, digits and an optional fraction, or
// &H and hexadecimal digits; no leading number reads as 0. A fraction is rounded to the nearest
// whole number, halves to the even one. Nothing when the result is outside 0..65535, since a
// register number and a register value are 16 bits.
std::optional<int> RegisterNumberOfText(const QString& text);
