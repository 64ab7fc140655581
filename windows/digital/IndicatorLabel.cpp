#include "windows/digital/IndicatorLabel.h"

#include <QMouseEvent>

#include "workwindow/CommPanel.h"

IndicatorLabel::IndicatorLabel(const QString& name, bool clickable, QWidget* parent)
    : QLabel(parent), clickable_(clickable) {
    NameControl(this, name);
    setAutoFillBackground(true);
    setAlignment(Qt::AlignCenter);
    QFont big = font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    setFont(big);
    setMinimumSize(64, 34);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    setPalette(colours);
    if (clickable) setCursor(Qt::PointingHandCursor);
    ShowState(false);
}

void IndicatorLabel::SetTextColor(const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
}

void IndicatorLabel::ShowState(bool on) {
    setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    SetTextColor(on ? kOnColor : kOffColor);
}

void IndicatorLabel::mousePressEvent(QMouseEvent* event) {
    if (clickable_ && event->button() == Qt::LeftButton) {
        emit clicked();
        return;
    }
    QLabel::mousePressEvent(event);
}
