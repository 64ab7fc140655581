#pragma once
// Draws lines of text piece by piece, a piece being a word or a short group of characters up to
// a separator ("01 ", "17:", "读保持寄存器，"), each copied from a picture kept between paints;
// numbers of three digits and more go digit by digit. Blending glyphs into a page is most of
// what a changing line of text costs, and although the monitor's times, bytes and readings
// change from row to row, their pieces come back all the time.
#include <QCache>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QSet>
#include <array>
#include <vector>

class QPainter;

class TextPieces {
  public:
    explicit TextPieces(int pictureBytes) : pictures_(pictureBytes) {}
    // `text` on `background`, left-aligned and centred in height in `area`, cut with "…" where
    // it does not fit. The painter's font and pen draw it.
    void Draw(QPainter& painter, const QRect& area, const QString& text, const QBrush& background);
    // `text` as Draw shows it in `width` with `font`: whole, or cut with "…".
    QString Shown(const QFont& font, const QString& text, int width);
    // The width Draw takes for `text` whole in `font`, rounded up.
    static int WidthOf(const QFont& font, const QString& text);

  private:
    // The widths of a font's characters, measured once each: measuring a text whole would
    // shape it, as dear as drawing it.
    class Widths {
      public:
        explicit Widths(const QFont& font) : font_(font) { latin_.fill(-1); }
        const QFont& Font() const { return font_; }
        qreal Of(QChar c);
        qreal Of(QStringView text);

      private:
        QFont font_;
        std::array<qreal, 256> latin_;
        QHash<char16_t, qreal> others_;
    };
    struct Key {
        QString piece;
        int height;
        QRgb pen;
        QRgb background;
        int font;  // its place in widths_: hashing a font is dear
        qreal ratio;
        bool operator==(const Key& other) const {
            return height == other.height && pen == other.pen && background == other.background &&
                   ratio == other.ratio && font == other.font && piece == other.piece;
        }
    };
    friend size_t qHash(const Key& key, size_t seed) {
        return qHashMulti(seed, key.piece, key.height, key.pen, key.background, key.font);
    }

    // The font's place in widths_, found or made.
    int FontIndex(const QFont& font);
    // `text` as shown in `width`: whole, or cut with "…".
    static QString Cut(const QString& text, Widths& widths, int width);
    // Paints one piece `width` wide at `x` (left) and `top`, from its picture when it has one.
    void PaintPiece(QPainter& painter, const Key& key, int x, int top, qreal width);

    QCache<Key, QPixmap> pictures_;
    // Longer pieces seen once: a second sight gives them a picture, so one-offs take no memory.
    QSet<size_t> seenOnce_;
    std::vector<Widths> widths_;
};
