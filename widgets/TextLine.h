#pragma once
// One line of text, cut with "…" where it does not fit. Unlike a label, a new text only repaints
// the line: it never asks the window for a new layout, which a label does at every change.
#include <QWidget>

#include "widgets/TextPieces.h"

class TextLine : public QWidget {
  public:
    explicit TextLine(QWidget* parent);
    void setText(const QString& text);
    QString text() const { return text_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QString text_;
    TextPieces pieces_{256 << 10};
};
