#pragma once
// The lines of a trend chart, drawn over the chart's plot area against its axes: one polyline,
// one pixel wide, per unbroken stretch of each channel. Qt's own line series lays out an outline
// of every line for hit testing at every change, which cost more than all the rest of a poll
// cycle; these lines need no hit testing (the readout finds values by time).
#include <QColor>
#include <QGraphicsItem>
#include <cstdint>
#include <vector>

#include "link/trend/TrendRing.h"

class QChart;

class TrendLines : public QGraphicsItem {
  public:
    TrendLines(QChart* chart, std::vector<QColor> colors);

    // The lines to draw (per channel, its stretches), mapped from [from, to] x [low, high] onto
    // the plot area.
    void SetLines(std::vector<std::vector<TrendSegment>> lines, int64_t from, int64_t to,
                  double low, double high);
    const std::vector<TrendSegment>& LinesOf(int channel) const { return lines_[channel]; }
    // A thin vertical line where the readout reads (-1: none).
    void SetCursor(int64_t ms);
    // The plot area moved or changed size.
    void FollowPlotArea();

    QRectF boundingRect() const override { return area_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

  private:
    QChart* chart_;
    std::vector<QColor> colors_;
    std::vector<std::vector<TrendSegment>> lines_;
    QRectF area_;
    int64_t from_ = 0, to_ = 1;
    double low_ = 0, high_ = 1;
    int64_t cursor_ = -1;
};
