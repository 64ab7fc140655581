#pragma once
// The lines of a trend chart, drawn over the chart's plot area against its value axis: one
// polyline, one pixel wide, per unbroken stretch of each channel, and the time axis below with
// its grid. Qt's own line series lays out an outline of every line for hit testing at every
// change, and its time axis lays out every label as a rich-text document whenever the view moves
// (once a second while following): together more than all the rest of a poll cycle. These lines
// need no hit testing (the readout finds values by time), and the time labels are plain text.
// Digital inputs are drawn in lanes, one per shown input, with its name left of the plot area.
#include <QColor>
#include <QGraphicsItem>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/record/TrendRing.h"
#include "trend/TrendLanes.h"

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
    int64_t Cursor() const { return cursor_; }
    // From now on each channel shown in `shown` has a lane of its own, named in a band
    // `nameBand` pixels wide left of the plot area.
    void UseLanes(QStringList names, int nameBand);
    void SetShown(std::vector<bool> shown);
    // The lane `channel` is drawn in; none for a hidden channel or a chart without lanes.
    std::optional<TrendLane> LaneOf(int channel) const;
    // The plot area moved or changed size.
    void FollowPlotArea();

    // Height of the band below the plot area that holds the time labels.
    static constexpr int kLabelBand = 22;
    // The part of `segment` within [from, to], its ends moved onto the edges where it crosses
    // them: a level stretch is kept as its two ends, which a short view may both leave behind.
    static TrendSegment InView(const TrendSegment& segment, double from, double to);
    // The time grid's step for a view `spanMs` long: 1 s .. 2 h, at most eight lines.
    static int64_t TickStep(int64_t spanMs);

    // The plot area and the band below it: no axis label of the chart's beside it is repainted
    // with the lines.
    QRectF boundingRect() const override { return area_.adjusted(-nameBand_, 0, 0, kLabelBand); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

  private:
    QChart* chart_;
    std::vector<QColor> colors_;
    std::vector<std::vector<TrendSegment>> lines_;
    QRectF area_;
    int64_t from_ = 0, to_ = 1;
    double low_ = 0, high_ = 1;
    int64_t cursor_ = -1;
    // With lanes: the names, which channels are shown, and the lanes of those in order.
    QStringList names_;
    int nameBand_ = 0;
    std::vector<bool> shown_;
    std::vector<TrendLane> lanes_;
    void LayOutLanes();
    void PaintTimeAxis(QPainter* painter, double xScale);
    void PaintLaneNames(QPainter* painter);
};
