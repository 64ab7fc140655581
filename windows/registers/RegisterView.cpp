#include "windows/registers/RegisterView.h"

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

QStringList RegisterLines(int first, const std::vector<int>& values, bool withLabels) {
    QStringList lines;
    const int count = static_cast<int>(values.size());
    const RegisterView view = ViewOfGroup(first);
    if (view == RegisterView::FloatPairs)
        return TypedRegisterLines(first, values, RegisterType::Float);
    if (view == RegisterView::CountPairs)
        return TypedRegisterLines(first, values, RegisterType::Int32);
    if (view == RegisterView::Plain) return TypedRegisterLines(first, values, RegisterType::Int);
    for (int i = 0; i < count; ++i) {
        const QString label =
            view == RegisterView::System && withLabels && i < CommandNames().size()
                ? CommandNames()[i]
                : QString();
        lines << QStringLiteral("%1%2: %3").arg(label).arg(first + i).arg(values[i]);
    }
    return lines;
}
