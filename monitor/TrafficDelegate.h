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

    // Pictures kept, in bytes: the pieces of a few thousand rows.
    static constexpr int kPictureBytes = 3 << 20;

  private:
    mutable TextPieces pieces_{kPictureBytes};
};
