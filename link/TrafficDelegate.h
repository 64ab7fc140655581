#pragma once
// Paints the traffic table's cells from laid-out texts kept between paints. The table moves by a
// row at every frame, so nearly every text it paints was painted before; laying each out anew (as
// the standard delegate does) was most of what an open monitor cost the program.
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class TrafficDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    const QStaticText& Laid(const QString& text, const QFont& font, int width) const;

    struct Key {
        QString text;
        int width;
        bool fixed;
        bool operator==(const Key& other) const {
            return width == other.width && fixed == other.fixed && text == other.text;
        }
    };
    friend size_t qHash(const Key& key, size_t seed) {
        return qHashMulti(seed, key.text, key.width, key.fixed);
    }
    mutable QHash<Key, QStaticText> laid_;
};
