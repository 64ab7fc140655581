#include "monitor/TrafficDelegate.h"

#include <QPainter>

#include "monitor/TrafficModel.h"

namespace {
QFont CellFont(const QModelIndex& index, const QFont& viewFont) {
    const QVariant font = index.data(Qt::FontRole);
    return font.isValid() ? font.value<QFont>() : viewFont;
}
}  // namespace

QString TrafficDelegate::Shown(const QModelIndex& index, const QFont& font, int columnWidth) const {
    return pieces_.Shown(CellFont(index, font), index.data(Qt::DisplayRole).toString(),
                         columnWidth - 2 * kPadding);
}

void TrafficDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QVariant band = index.data(TrafficModel::BandRole);
    const bool alternate =
        band.isValid() ? band.toBool() : bool(option.features & QStyleOptionViewItem::Alternate);
    const QPalette& palette = option.palette;
    const QBrush& background = selected    ? palette.highlight()
                               : alternate ? palette.alternateBase()
                                           : palette.base();
    painter->fillRect(option.rect, background);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return;
    const QVariant colour = index.data(Qt::ForegroundRole);
    painter->setFont(CellFont(index, option.font));
    painter->setPen(selected           ? palette.highlightedText().color()
                    : colour.isValid() ? colour.value<QColor>()
                                       : palette.text().color());
    pieces_.Draw(*painter, option.rect.adjusted(kPadding, 0, -kPadding, 0), text, background);
}
