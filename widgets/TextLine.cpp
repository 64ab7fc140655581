#include "widgets/TextLine.h"

#include <QPainter>

namespace {
constexpr int kMargin = 2;
}

TextLine::TextLine(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAutoFillBackground(true);
}

void TextLine::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setAccessibleName(text_);
    update();
}

QSize TextLine::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 40, fontMetrics().height() + 2 * kMargin};
}

QSize TextLine::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void TextLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(kMargin, 0, -kMargin, 0);
    painter.setPen(palette().windowText().color());
    pieces_.Draw(painter, area, text_, palette().window());
}
