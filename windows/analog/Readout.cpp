#include "windows/analog/Readout.h"

#include "link/CommPanel.h"

QLabel* MakeReadout(const QString& name, const QColor& textColor, int minimumWidth,
                    QWidget* parent) {
    auto* label = new QLabel(parent);
    NameControl(label, name);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(minimumWidth);
    label->setStyleSheet(QStringLiteral("QLabel { background-color: black; color: %1; "
                                        "font-size: 18px; font-weight: bold; padding: 3px 6px; }")
                             .arg(textColor.name()));
    return label;
}
