#include "windows/analog/Readout.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

#include "link/CommPanel.h"

namespace {
// Its style sheet paints every pixel of it black, but Qt cannot know that and would repaint the
// frame and title of the group behind it at every changed reading. So it says it is opaque and
// paints the styled background itself, which Qt then no longer does. The style sheet's polish
// clears the attribute, so it is set again after each polish.
class OpaqueReadout : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    bool event(QEvent* event) override {
        const bool handled = QLabel::event(event);
        if (event->type() == QEvent::Polish) setAttribute(Qt::WA_OpaquePaintEvent);
        return handled;
    }
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            QStyleOption option;
            option.initFrom(this);
            style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
        }
        QLabel::paintEvent(event);
    }
};
}  // namespace

QLabel* MakeReadout(const QString& name, const QColor& textColor, int minimumWidth,
                    QWidget* parent) {
    auto* label = new OpaqueReadout(parent);
    NameControl(label, name);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(minimumWidth);
    label->setStyleSheet(QStringLiteral("QLabel { background-color: black; color: %1; "
                                        "font-size: 18px; font-weight: bold; padding: 3px 6px; }")
                             .arg(textColor.name()));
    return label;
}
