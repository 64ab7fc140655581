#pragma once
// Paints the traffic table's cells: the row's band, then its text from kept pieces. A band is an
// exchange (a request and its reply), as the model says, so it stays with the rows.
#include <QStyledItemDelegate>

#include "widgets/TextPieces.h"

class TrafficDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The text a cell shows in a column `columnWidth` wide: whole, or cut with "…".
    QString Shown(const QModelIndex& index, const QFont& font, int columnWidth) const;

    // Room left blank on each side of a cell's text.
    static constexpr int kPadding = 3;

    // Pictures kept, in bytes: the pieces of a few thousand rows.
    static constexpr int kPictureBytes = 3 << 20;

  private:
    mutable TextPieces pieces_{kPictureBytes};
};
