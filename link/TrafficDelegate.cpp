#include "link/TrafficDelegate.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
// Enough for every cell of several screens; past it the cache starts again.
constexpr int kLaidLimit = 2000;
constexpr int kPadding = 3;
}  // namespace

const QStaticText& TrafficDelegate::Laid(const QString& text, const QFont& font, int width) const {
    const Key key{text, width, font.fixedPitch()};
    auto found = laid_.constFind(key);
    if (found != laid_.constEnd()) return *found;
    if (laid_.size() >= kLaidLimit) laid_.clear();
    const QFontMetrics metrics(font);
    QStaticText laid(metrics.horizontalAdvance(text) > width
                         ? metrics.elidedText(text, Qt::ElideRight, width)
                         : text);
    laid.setTextFormat(Qt::PlainText);
    laid.setPerformanceHint(QStaticText::AggressiveCaching);
    laid.prepare(QTransform(), font);
    return *laid_.insert(key, laid);
}

void TrafficDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const bool alternate = option.features & QStyleOptionViewItem::Alternate;
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, selected    ? palette.highlight()
                                   : alternate ? palette.alternateBase()
                                               : palette.base());
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return;
    const QVariant fontData = index.data(Qt::FontRole);
    const QFont font = fontData.isValid() ? fontData.value<QFont>() : option.font;
    const QVariant colour = index.data(Qt::ForegroundRole);
    painter->setPen(selected           ? palette.highlightedText().color()
                    : colour.isValid() ? colour.value<QColor>()
                                       : palette.text().color());
    painter->setFont(font);
    const int width = option.rect.width() - 2 * kPadding;
    if (width <= 0) return;
    const QStaticText& laid = Laid(text, font, width);
    const int top = option.rect.top() + (option.rect.height() - laid.size().height()) / 2;
    painter->drawStaticText(option.rect.left() + kPadding, top, laid);
}
