#include "core/modules/RegisterValues.h"

#include <bit>
#include <cmath>

QString FloatText(uint32_t bits) {
    const float value = std::bit_cast<float>(bits);
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    return QString::number(static_cast<double>(value), 'f', 4);
}

QString TypedRegisterValue(const std::vector<int>& values, int index, RegisterType type) {
    if (type == RegisterType::Int) return QString::number(values[index]);
    const uint32_t bits =
        static_cast<uint32_t>(values[index]) << 16 | static_cast<uint32_t>(values[index + 1]);
    return type == RegisterType::Float ? FloatText(bits) : QString::number(bits);
}

QStringList TypedRegisterLines(int first, const std::vector<int>& values, RegisterType type) {
    QStringList lines;
    const int count = static_cast<int>(values.size());
    if (type == RegisterType::Int) {
        for (int i = 0; i < count; ++i)
            lines << QStringLiteral("%1: %2").arg(first + i).arg(values[i]);
        return lines;
    }
    for (int i = 1; i < count; i += 2)
        lines << QStringLiteral("%1-%2: %3")
                     .arg(first + i - 1)
                     .arg(first + i)
                     .arg(TypedRegisterValue(values, i - 1, type));
    return lines;
}
