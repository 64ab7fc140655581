#include "windows/registers/WrittenNumber.h"

#include <cmath>

#include "base/SettingsFiles.h"
#include "link/Modbus.h"

namespace {
// Value of the hexadecimal digits after "&H"; stops growing once past any 16-bit value.
double HexNumber(const QString& text, int from) {
    double value = 0;
    for (int i = from; i < text.size(); ++i) {
        const int digit = HexDigitValue(text.mid(i, 1));
        if (digit < 0) break;
        if (value <= 0xFFFFFF) value = value * 16 + digit;
    }
    return value;
}
}  // namespace

std::optional<int> RegisterNumberOfText(const QString& text) {
    int start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    const bool hex = text.mid(start, 2).compare(QLatin1String("&H"), Qt::CaseInsensitive) == 0;
    const double value = hex ? HexNumber(text, start + 2) : SettingsFiles::LeadingNumber(text);
    // nearbyint in the default rounding mode takes halves to the even neighbour.
    const double whole = std::nearbyint(value);
    if (!(whole >= 0 && whole <= 65535)) return std::nullopt;
    return static_cast<int>(whole);
}
