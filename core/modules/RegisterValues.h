#pragma once
// Register values as the register window writes them out: one line per register, or pairs read
// as a single-precision float or a 32-bit count, high register first.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

enum class RegisterType {
    Int,    // "40: 123", one line per register
    Float,  // "1280-1281: 25.1250"
    Int32,  // "2304-2305: 70000"
};

// The lines for the registers from `first` holding `values` (16-bit each). A pair type ignores
// an odd last register.
QStringList TypedRegisterLines(int first, const std::vector<int>& values, RegisterType type);
// The value of one line alone ("123", "25.1250", "70000"), from the register at `index` on.
QString TypedRegisterValue(const std::vector<int>& values, int index, RegisterType type);

// A float with four decimals ("25.1250"); a value that is not a finite number as a word.
QString FloatText(uint32_t bits);
