#include "widgets/TextPieces.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kSeenLimit = 4096;
// Pieces this short (a digit, a byte, a minute) are few and come back: kept at first sight.
constexpr int kShortPiece = 3;
const QChar kEllipsis(0x2026);

// Characters whose width depends on their neighbours: such a text is drawn whole.
bool Composed(QChar c) {
    return c.isSurrogate() || c.isMark() || c.direction() == QChar::DirR ||
           c.direction() == QChar::DirAL;
}

bool EndsPiece(QChar c) {
    return c.isSpace() || c == ':' || c == '.' || c == ',' || c == QChar(0xFF0C) ||
           c == QChar(0xFF1A);
}

void DrawPiece(QPainter& painter, const QRect& area, const QString& piece) {
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, piece);
}
}  // namespace

qreal TextPieces::Widths::Of(QChar c) {
    const char16_t code = c.unicode();
    if (code < latin_.size()) {
        if (latin_[code] < 0) latin_[code] = QFontMetricsF(font_).horizontalAdvance(c);
        return latin_[code];
    }
    const auto known = others_.constFind(code);
    if (known != others_.constEnd()) return *known;
    return *others_.insert(code, QFontMetricsF(font_).horizontalAdvance(c));
}

qreal TextPieces::Widths::Of(QStringView text) {
    qreal width = 0;
    for (QChar c : text) width += Of(c);
    return width;
}

int TextPieces::FontIndex(const QFont& font) {
    for (size_t i = 0; i < widths_.size(); ++i)
        if (widths_[i].Font() == font) return static_cast<int>(i);
    widths_.emplace_back(font);
    return static_cast<int>(widths_.size()) - 1;
}

QString TextPieces::Cut(const QString& text, Widths& widths, int width) {
    if (widths.Of(text) <= width) return text;
    const qreal room = width - widths.Of(kEllipsis);
    qreal used = 0;
    int fit = 0;
    while (fit < text.size() && used + widths.Of(text[fit]) <= room) used += widths.Of(text[fit++]);
    return text.left(fit) + kEllipsis;
}

QString TextPieces::Shown(const QFont& font, const QString& text, int width) {
    if (std::any_of(text.begin(), text.end(), Composed))
        return QFontMetrics(font).elidedText(text, Qt::ElideRight, width);
    return Cut(text, widths_[FontIndex(font)], width);
}

int TextPieces::WidthOf(const QFont& font, const QString& text) {
    if (std::any_of(text.begin(), text.end(), Composed))
        return QFontMetrics(font).horizontalAdvance(text);
    return int(std::ceil(Widths(font).Of(text)));
}

void TextPieces::PaintPiece(QPainter& painter, const Key& key, int x, int top, qreal width) {
    const QSize size(int(std::ceil(width)) + 1, key.height);
    if (const QPixmap* kept = pictures_.object(key)) return painter.drawPixmap(x, top, *kept);
    if (key.piece.size() > kShortPiece) {
        const size_t hash = qHash(key, 0);
        if (!seenOnce_.contains(hash)) {
            if (seenOnce_.size() >= kSeenLimit) seenOnce_.clear();
            seenOnce_.insert(hash);
            return DrawPiece(painter, QRect(QPoint(x, top), size), key.piece);
        }
        seenOnce_.remove(hash);
    }
    auto* picture = new QPixmap(size * key.ratio);
    picture->setDevicePixelRatio(key.ratio);
    picture->fill(QColor::fromRgba(key.background));
    {
        QPainter pen(picture);
        pen.setFont(widths_[key.font].Font());
        pen.setPen(QColor::fromRgba(key.pen));
        DrawPiece(pen, QRect(QPoint(), size), key.piece);
    }
    painter.drawPixmap(x, top, *picture);
    pictures_.insert(key, picture, qsizetype(picture->width()) * picture->height() * 4);
}

void TextPieces::Draw(QPainter& painter, const QRect& area, const QString& text,
                      const QBrush& background) {
    if (text.isEmpty() || area.width() <= 0) return;
    const QFont& font = painter.font();
    // A textured background, or letters shaped with their neighbours: drawn whole, as it comes.
    if (background.style() != Qt::SolidPattern || std::any_of(text.begin(), text.end(), Composed))
        return DrawPiece(painter, area,
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, area.width()));

    const int fontIndex = FontIndex(font);
    Widths& widths = widths_[fontIndex];
    const QString shown = Cut(text, widths, area.width());
    Key key{{},
            area.height(),
            painter.pen().color().rgba(),
            background.color().rgba(),
            fontIndex,
            painter.device()->devicePixelRatioF()};
    qreal x = area.left();
    const auto paintPiece = [&](qsizetype start, qsizetype end) {
        key.piece = shown.mid(start, end - start);
        const qreal width = widths.Of(key.piece);
        PaintPiece(painter, key, qRound(x), area.top(), width);
        x += width;
    };
    for (qsizetype start = 0; start < shown.size();) {
        qsizetype end = start;
        while (end < shown.size() && !EndsPiece(shown[end])) ++end;
        // Longer numbers (milliseconds, readings) go digit by digit: ten pictures serve them all.
        const bool number =
            end - start >= 3 && std::all_of(shown.begin() + start, shown.begin() + end,
                                            [](QChar c) { return c.isDigit(); });
        end = std::min(end + 1, shown.size());
        if (number)
            for (; start < end - 1; ++start) paintPiece(start, start + 1);
        paintPiece(start, end);
        start = end;
    }
}
