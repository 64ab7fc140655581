#include "windows/registers/RegisterView.h"

#include <bit>
#include <cmath>

#include "windows/registers/RegisterGroups.h"

RegisterView ViewOfGroup(int first) {
    switch (first) {
        case 100:
            return RegisterView::System;
        case 1280:
            return RegisterView::FloatPairs;
        case 2304:
            return RegisterView::CountPairs;
        default:
            return RegisterView::Plain;
    }
}

QString FloatText(uint32_t bits) {
    const float value = std::bit_cast<float>(bits);
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    return QString::number(static_cast<double>(value), 'f', 4);
}

QStringList RegisterLines(int first, const std::vector<int>& values, bool withLabels) {
    QStringList lines;
    const int count = static_cast<int>(values.size());
    const RegisterView view = ViewOfGroup(first);
    if (view == RegisterView::FloatPairs || view == RegisterView::CountPairs) {
        for (int i = 1; i < count; i += 2) {
            const uint32_t bits =
                static_cast<uint32_t>(values[i - 1]) << 16 | static_cast<uint32_t>(values[i]);
            const QString shown =
                view == RegisterView::FloatPairs ? FloatText(bits) : QString::number(bits);
            lines << QStringLiteral("%1-%2: %3").arg(first + i - 1).arg(first + i).arg(shown);
        }
        return lines;
    }
    for (int i = 0; i < count; ++i) {
        const QString label =
            view == RegisterView::System && withLabels && i < CommandNames().size()
                ? CommandNames()[i]
                : QString();
        lines << QStringLiteral("%1%2: %3").arg(label).arg(first + i).arg(values[i]);
    }
    return lines;
}
