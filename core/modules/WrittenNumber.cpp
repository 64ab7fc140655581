#include "core/modules/WrittenNumber.h"

#include <QRegularExpression>
#include <cmath>

#include "core/protocol/Modbus.h"

namespace {
// A Chinese input method in full-width mode types "１００" and "＆Ｈ６４": read them as the ASCII
// characters they stand for.
QString HalfWidth(const QString& text) {
    QString ascii = text;
    for (QChar& c : ascii) {
        const char16_t code = c.unicode();
        if (code >= 0xFF01 && code <= 0xFF5E) c = QChar(static_cast<char16_t>(code - 0xFEE0));
        if (code == 0x3000) c = QLatin1Char(' ');
    }
    return ascii;
}

// Value of the hexadecimal digits after "&H", nothing unless every character is one; stops growing
// once past any 16-bit value.
std::optional<double> HexNumber(const QString& digits) {
    if (digits.isEmpty()) return std::nullopt;
    double value = 0;
    for (int i = 0; i < digits.size(); ++i) {
        const int digit = HexDigitValue(digits.mid(i, 1));
        if (digit < 0) return std::nullopt;
        if (value <= 0xFFFFFF) value = value * 16 + digit;
    }
    return value;
}

// A decimal number and nothing else: optional sign, digits, optional fraction.
std::optional<double> DecimalNumber(const QString& text) {
    static const QRegularExpression kDecimal(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    if (!kDecimal.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}
}  // namespace

std::optional<int> RegisterNumberOfText(const QString& typed) {
    const QString text = HalfWidth(typed).trimmed();
    const bool hex = text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive);
    const std::optional<double> value = hex ? HexNumber(text.mid(2)) : DecimalNumber(text);
    if (!value) return std::nullopt;
    // nearbyint in the default rounding mode takes halves to the even neighbour.
    const double whole = std::nearbyint(*value);
    if (!(whole >= 0 && whole <= 65535)) return std::nullopt;
    return static_cast<int>(whole);
}
