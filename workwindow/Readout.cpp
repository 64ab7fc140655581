#include "workwindow/Readout.h"

#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QPainter>
#include <QStyleOption>

#include "workwindow/CommPanel.h"

namespace {
// Stands in the readout's place in its layout and holds it. A label asks for a relayout of the
// whole window at every new text, even when its size stays; that was an eighth of a poll cycle.
// The holder has no layout, so the readout's request comes here, and goes on only when the
// readout's size hints really changed.
class ReadoutHolder : public QWidget {
  public:
    ReadoutHolder(QLabel* readout, QWidget* parent)
        : QWidget(parent), readout_(readout), extent_(TextExtent()) {
        setSizePolicy(readout->sizePolicy());
        setMinimumSize(readout->minimumSize());
        setMaximumSize(readout->maximumSize());
    }
    QSize sizeHint() const override { return readout_->sizeHint(); }
    QSize minimumSizeHint() const override { return readout_->minimumSizeHint(); }

  protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::LayoutRequest) return QWidget::event(event);
        // The label's size hints are worked out from its text's extent, laying the text out three
        // times; measuring the extent once tells whether they can have moved.
        const QSize extent = TextExtent();
        if (extent != extent_) {
            extent_ = extent;
            updateGeometry();
        }
        return true;
    }
    void resizeEvent(QResizeEvent*) override { readout_->setGeometry(rect()); }

  private:
    QSize TextExtent() const {
        return readout_->fontMetrics()
            .boundingRect(QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), Qt::TextShowMnemonic,
                          readout_->text())
            .size();
    }
    QLabel* readout_;
    QSize extent_;
};

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
        switch (event->type()) {
            case QEvent::Polish:
                setAttribute(Qt::WA_OpaquePaintEvent);
                // Polished when its window is first shown, before its layout is first laid out.
                StandInHolder();
                break;
            case QEvent::ShowToParent:
            case QEvent::HideToParent:
                if (holder_) holder_->setVisible(event->type() == QEvent::ShowToParent);
                break;
            default:
                break;
        }
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

  private:
    void StandInHolder() {
        QWidget* parent = parentWidget();
        if (holder_ || !parent || !parent->layout()) return;
        auto* holder = new ReadoutHolder(this, parent);
        QLayoutItem* place = parent->layout()->replaceWidget(this, holder);
        if (!place) {  // not laid out: nothing to hold it in
            delete holder;
            return;
        }
        delete place;
        const bool hidden = isHidden();  // a readout hidden before its window showed stays so
        holder->setGeometry(geometry());
        holder->setVisible(!hidden);
        holder_ = holder;
        setParent(holder);  // the style sheet polishes it again, clearing the attribute
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(holder->rect());
        setVisible(!hidden);
    }
    QPointer<ReadoutHolder> holder_;
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
