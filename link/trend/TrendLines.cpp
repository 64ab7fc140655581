#include "link/trend/TrendLines.h"

#include <QChart>
#include <QPainter>
#include <QPolygonF>

TrendLines::TrendLines(QChart* chart, std::vector<QColor> colors)
    : QGraphicsItem(chart), chart_(chart), colors_(std::move(colors)), lines_(colors_.size()) {
    // Above the grid, below nothing the chart draws in its plot area.
    setZValue(100);
    FollowPlotArea();
}

void TrendLines::FollowPlotArea() {
    prepareGeometryChange();
    area_ = chart_->plotArea();
    update();
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

void TrendLines::SetCursor(int64_t ms) {
    cursor_ = ms;
    update();
}

void TrendLines::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    painter->save();
    painter->setClipRect(area_);
    const double xScale = area_.width() / static_cast<double>(to_ - from_);
    const double yScale = area_.height() / (high_ - low_);
    QPolygonF polyline;
    for (size_t c = 0; c < lines_.size(); ++c) {
        QPen pen(colors_[c], 1);
        pen.setCosmetic(true);
        painter->setPen(pen);
        for (const TrendSegment& segment : lines_[c]) {
            polyline.clear();
            for (const QPointF& p : segment)
                polyline << QPointF(area_.left() + (p.x() - from_) * xScale,
                                    area_.bottom() - (p.y() - low_) * yScale);
            if (polyline.size() == 1) {
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
