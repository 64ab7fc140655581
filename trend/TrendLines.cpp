#include "trend/TrendLines.h"

#include <QChart>
#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

TrendLines::TrendLines(QChart* chart, std::vector<QColor> colors)
    : QGraphicsItem(chart), chart_(chart), colors_(std::move(colors)), lines_(colors_.size()) {
    // Above the grid, below nothing the chart draws in its plot area.
    setZValue(100);
    FollowPlotArea();
}

void TrendLines::FollowPlotArea() {
    prepareGeometryChange();
    area_ = chart_->plotArea();
    LayOutLanes();
    update();
}

void TrendLines::UseLanes(QStringList names, int nameBand) {
    prepareGeometryChange();
    names_ = std::move(names);
    nameBand_ = nameBand;
    SetShown(std::vector<bool>(colors_.size(), true));
}

void TrendLines::SetShown(std::vector<bool> shown) {
    shown_ = std::move(shown);
    LayOutLanes();
    update();
}

void TrendLines::LayOutLanes() {
    if (names_.isEmpty()) return;
    lanes_ = StackLanes(static_cast<int>(std::count(shown_.begin(), shown_.end(), true)),
                        area_.top(), area_.height());
}

std::optional<TrendLane> TrendLines::LaneOf(int channel) const {
    if (names_.isEmpty() || !shown_[channel]) return std::nullopt;
    return lanes_[std::count(shown_.begin(), shown_.begin() + channel, true)];
}

void TrendLines::SetLines(std::vector<std::vector<TrendSegment>> lines, int64_t from, int64_t to,
                          double low, double high) {
    lines_ = std::move(lines);
    lines_.resize(colors_.size());
    from_ = from;
    to_ = std::max(to, from + 1);
    low_ = low;
    high_ = high > low ? high : low + 1;
    if (area_ != chart_->plotArea()) FollowPlotArea();
    update();
}

TrendSegment TrendLines::InView(const TrendSegment& segment, double from, double to) {
    const auto at = [](QPointF a, QPointF b, double x) {
        return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
    };
    TrendSegment part;
    for (size_t i = 0; i < segment.size(); ++i) {
        const QPointF p = segment[i];
        if (i > 0) {
            const QPointF before = segment[i - 1];
            if (before.x() < from && p.x() > from) part.push_back(at(before, p, from));
            if (before.x() < to && p.x() > to) part.push_back(at(before, p, to));
        }
        if (p.x() >= from && p.x() <= to) part.push_back(p);
    }
    return part;
}

int64_t TrendLines::TickStep(int64_t spanMs) {
    static const int64_t steps[] = {1000,   2000,   5000,   10000,  15000,   30000,   60000,
                                    120000, 300000, 600000, 900000, 1800000, 3600000, 7200000};
    for (int64_t step : steps)
        if (spanMs / step <= 8) return step;
    return steps[std::size(steps) - 1];
}

void TrendLines::PaintTimeAxis(QPainter* painter, double xScale) {
    const int64_t step = TickStep(to_ - from_);
    // Ticks on whole local minutes and hours, not on the epoch's.
    const int64_t offset =
        static_cast<int64_t>(QDateTime::fromMSecsSinceEpoch(to_).offsetFromUtc()) * 1000;
    const QString format = step < 60000 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    const QFontMetrics metrics(painter->font());
    const QPen grid(QColor(224, 224, 224), 1);
    const QPen text(QColor(60, 60, 60));
    int64_t tick = (from_ + offset + step - 1) / step * step - offset;
    for (; tick <= to_; tick += step) {
        const double x = area_.left() + (tick - from_) * xScale;
        painter->setPen(grid);
        painter->drawLine(QPointF(x, area_.top()), QPointF(x, area_.bottom()));
        const QString label = QDateTime::fromMSecsSinceEpoch(tick).toString(format);
        const double width = metrics.horizontalAdvance(label);
        // A label that would stick out beside the plot area is left to the next tick.
        if (x - width / 2 < area_.left() || x + width / 2 > area_.right()) continue;
        painter->setPen(text);
        painter->drawText(QPointF(x - width / 2, area_.bottom() + 4 + metrics.ascent()), label);
    }
}

void TrendLines::SetCursor(int64_t ms) {
    cursor_ = ms;
    update();
}

void TrendLines::PaintLaneNames(QPainter* painter) {
    const QFontMetrics metrics(painter->font());
    painter->setPen(QPen(QColor(224, 224, 224), 1));
    for (size_t k = 1; k < lanes_.size(); ++k)
        painter->drawLine(QPointF(area_.left(), lanes_[k].top),
                          QPointF(area_.right(), lanes_[k].top));
    for (int c = 0; c < names_.size(); ++c) {
        const std::optional<TrendLane> lane = LaneOf(c);
        if (!lane) continue;
        painter->setPen(colors_[c]);
        const double middle = (lane->top + lane->bottom) / 2;
        painter->drawText(QPointF(area_.left() - nameBand_ + 4,
                                  middle + (metrics.ascent() - metrics.descent()) / 2.0),
                          names_[c]);
    }
}

void TrendLines::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    painter->save();
    const double xScale = area_.width() / static_cast<double>(to_ - from_);
    PaintTimeAxis(painter, xScale);
    if (!names_.isEmpty()) PaintLaneNames(painter);
    painter->setClipRect(area_);
    const double yScale = area_.height() / (high_ - low_);
    QPolygonF polyline;
    for (size_t c = 0; c < lines_.size(); ++c) {
        if (lines_[c].empty()) continue;
        QPen pen(colors_[c], 1);
        pen.setCosmetic(true);
        painter->setPen(pen);
        // y = base - value * scale: against the value axis, or within the channel's lane.
        double base = area_.bottom() + low_ * yScale, scale = yScale;
        if (!names_.isEmpty()) {
            const std::optional<TrendLane> lane = LaneOf(static_cast<int>(c));
            if (!lane) continue;
            base = lane->low;
            scale = lane->low - lane->high;
        }
        for (const TrendSegment& segment : lines_[c]) {
            polyline.clear();
            // Ends far beyond the view would be drawn hundreds of thousands of pixels long.
            for (const QPointF& p : InView(segment, from_, to_))
                polyline << QPointF(area_.left() + (p.x() - from_) * xScale, base - p.y() * scale);
            if (polyline.size() == 1 && segment.size() == 1) {
                // A reading between two gaps: a short dash, so it is seen.
                const QPointF at = polyline.front();
                painter->drawLine(at - QPointF(2, 0), at + QPointF(2, 0));
            } else {
                painter->drawPolyline(polyline);
            }
        }
    }
    if (cursor_ >= from_ && cursor_ <= to_) {
        const double x = area_.left() + (cursor_ - from_) * xScale;
        painter->setPen(QPen(Qt::gray, 1, Qt::DashLine));
        painter->drawLine(QPointF(x, area_.top()), QPointF(x, area_.bottom()));
    }
    painter->restore();
}
