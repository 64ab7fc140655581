#pragma once
// The chart of one panel's readings against time: a line per channel in its name and unit and a
// colour of its own, each shown or hidden by its box, the last ten minutes followed by default
// (all of a younger trend); 0/1 inputs each in a lane of their own. Pause, zoom (wheel or
// buttons) and pan (drag), and a readout of the values under the mouse while it is over the plot.
// It draws from the feed's ring every one or two seconds while shown, so an open chart costs the
// poll little.
#include <QColor>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/record/TrendRing.h"
#include "trend/TrendLanes.h"
#include "trend/TrendSpan.h"

class QCheckBox;
class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QTimer;
class QValueAxis;
class TrendFeed;
class TrendLines;

class TrendWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int64_t kDefaultSpanMs = TrendSpan::kDefaultMs;
    static constexpr int64_t kShortestSpanMs = TrendSpan::kShortestMs;
    static constexpr int64_t kLongestSpanMs = TrendSpan::kLongestMs;

    TrendWindow(TrendFeed* feed, QWidget* parent);

    QChart* Chart() const { return chart_; }
    QChartView* View() const { return view_; }
    QPushButton* PauseButton;
    QPushButton* FollowButton;
    QPushButton* ZoomInButton;
    QPushButton* ZoomOutButton;
    std::vector<QCheckBox*> ChannelBoxes;
    QLabel* ReadoutLabel;

    // Takes the feed's readings into the lines now (the refresh does it every RefreshMs()).
    void Redraw();
    // How often a shown chart takes new readings: the time the view moves three pixels in, from
    // one to two seconds (two for the last ten minutes on a chart 900 pixels wide).
    int RefreshMs() const;
    // The lines drawn for `channel`, one per unbroken stretch, oldest first; the last Redraw's.
    const std::vector<TrendSegment>& LinesOf(int channel) const;
    int64_t From() const;
    int64_t To() const;
    // To() - From().
    int64_t Span() const;
    // The colour of `channel`'s line and box.
    QColor ColorOf(int channel) const { return colors_[channel]; }
    // The lane `channel` is drawn in (charts of 0/1 inputs); none when hidden or for values.
    std::optional<TrendLane> LaneOf(int channel) const;
    bool Following() const { return following_; }

    // Back to following the newest readings over the last ten minutes.
    void Follow();
    // Holds the view where it is (true) or follows again (false).
    void SetPaused(bool paused);
    // A span `factor` times as long; a paused view keeps `anchorMs` where it is.
    void ZoomBy(double factor, int64_t anchorMs);
    // Moves the view by `ms` (negative: back in time); it stays paused.
    void PanBy(int64_t ms);
    // Time and visible values at `ms`, from the nearest reading; shown under the chart.
    QString ReadoutAt(int64_t ms) const;
    void ShowReadoutAt(int64_t ms);
    // The readout and its line go: the mouse left the plot.
    void HideReadout();
    // Where the readout's line stands (-1: nowhere).
    int64_t CursorMs() const;
    // Texts in the language in use.
    void Retranslate();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void RedrawIfChanged();
    // The value axis takes a new range only when the lines leave it or fill less than half of it,
    // so it neither jitters nor lays out its labels anew at every refresh.
    void FitValueAxis(double low, double high);
    // The time at a point of the view.
    int64_t TimeAt(QPointF viewPosition) const;
    bool PlotContains(QPointF viewPosition) const;

    TrendFeed* feed_;
    QChart* chart_;
    QChartView* view_;
    QValueAxis* placeAxis_;  // x of the empty series that holds the value axis; never moves
    QValueAxis* valueAxis_;
    QLabel* hint_;
    QTimer* refresh_;
    TrendLines* lines_;
    std::vector<QColor> colors_;
    bool following_ = true;
    bool changed_ = true;
    int64_t span_ = kDefaultSpanMs;
    int64_t pausedTo_ = 0;
    // The span chosen before a pause and the one the pause held: a resume without a zoom in
    // between follows as before (a young trend whole again).
    int64_t spanBeforePause_ = kDefaultSpanMs;
    int64_t heldSpan_ = kDefaultSpanMs;
};
