#include "trend/TrendWindow.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <functional>

#include "widgets/Controls.h"
#include "core/record/TrendCsv.h"
#include "trend/TrendColors.h"
#include "trend/TrendFeed.h"
#include "trend/TrendLines.h"
#include "core/record/TrendTexts.h"

namespace {
QString Ui(TrendTexts::Ui key) {
    return TrendTexts::UiText(key, TrendTexts::English());
}

// The chart's view with the mouse: wheel zooms, a drag pans, a move shows the values there.
class TrendView : public QChartView {
  public:
    TrendView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
        setMouseTracking(true);
        viewport()->setMouseTracking(true);
    }
    std::function<int64_t(QPointF)> timeAt;
    std::function<void(double factor, int64_t anchor)> zoom;
    std::function<void(int64_t ms)> pan;
    std::function<void(QPointF)> hover;
    std::function<void()> leave;

  protected:
    void wheelEvent(QWheelEvent* event) override {
        if (event->angleDelta().y() == 0) return;
        zoom(event->angleDelta().y() > 0 ? 0.8 : 1.25, timeAt(event->position()));
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override {
        dragging_ = event->button() == Qt::LeftButton;
        if (dragging_) dragFrom_ = timeAt(event->position());
    }
    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }
    void mouseMoveEvent(QMouseEvent* event) override {
        const int64_t at = timeAt(event->position());
        if (dragging_ && at != dragFrom_) {
            pan(dragFrom_ - at);  // the time grabbed stays under the mouse
            return;
        }
        hover(event->position());
    }
    bool viewportEvent(QEvent* event) override {
        if (event->type() == QEvent::Leave) leave();
        return QChartView::viewportEvent(event);
    }

  private:
    bool dragging_ = false;
    int64_t dragFrom_ = 0;
};
}  // namespace

TrendWindow::TrendWindow(TrendFeed* feed, QWidget* parent)
    : QWidget(parent, Qt::Window), feed_(feed) {
    NameControl(this, "TrendWindow");
    const int channels = static_cast<int>(feed->Channels().size());
    colors_ = TrendColors(channels);
    // 0/1 inputs on one value axis would all sit on the same two levels.
    const bool lanes =
        channels > 0 && std::all_of(feed->Channels().begin(), feed->Channels().end(),
                                    [](const TrendChannel& channel) { return channel.steps; });
    QStringList names;
    int nameBand = 0;
    for (const TrendChannel& channel : feed->Channels()) {
        names << channel.name;
        nameBand = std::max(nameBand, fontMetrics().horizontalAdvance(channel.name) + 8);
    }

    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->setBackgroundRoundness(0);  // a plain rectangle paints at a fraction of the cost
    // The time axis is the lines' own (TrendLines); this one only places the empty series.
    placeAxis_ = new QValueAxis(chart_);
    placeAxis_->setRange(0, 1);
    placeAxis_->setVisible(false);
    valueAxis_ = new QValueAxis(chart_);
    chart_->addAxis(placeAxis_, Qt::AlignBottom);
    chart_->addAxis(valueAxis_, Qt::AlignLeft);
    QMargins margins = chart_->margins();
    margins.setBottom(margins.bottom() + TrendLines::kLabelBand);
    // Lanes are named where the value axis would stand.
    if (lanes) margins.setLeft(margins.left() + nameBand);
    valueAxis_->setVisible(!lanes);
    chart_->setMargins(margins);
    // The unit the channels share names the value axis.
    QString unit = feed->Channels().empty() ? QString() : feed->Channels()[0].unit;
    for (const TrendChannel& channel : feed->Channels())
        if (channel.unit != unit) unit.clear();
    valueAxis_->setTitleText(unit);
    // An axis lays itself out for the series it carries: one empty series holds the value axis,
    // and the lines are drawn beside it against the same range.
    auto* anchor = new QLineSeries(chart_);
    chart_->addSeries(anchor);
    anchor->attachAxis(placeAxis_);
    anchor->attachAxis(valueAxis_);
    lines_ = new TrendLines(chart_, colors_);
    if (lanes) lines_->UseLanes(names, nameBand);
    connect(chart_, &QChart::plotAreaChanged, this, [this] { lines_->FollowPlotArea(); });
    auto* view = new TrendView(chart_, this);
    view_ = Named(view, "Chart_Trend");
    view->timeAt = [this](QPointF position) { return TimeAt(position); };
    view->zoom = [this](double factor, int64_t anchor) { ZoomBy(factor, anchor); };
    view->pan = [this](int64_t ms) { PanBy(ms); };
    view->hover = [this](QPointF position) {
        if (PlotContains(position))
            ShowReadoutAt(TimeAt(position));
        else
            HideReadout();
    };
    view->leave = [this] { HideReadout(); };

    PauseButton = Named(new QPushButton(this), "Command_Pause");
    PauseButton->setCheckable(true);
    FollowButton = Named(new QPushButton(this), "Command_Follow");
    ZoomInButton = Named(new QPushButton(this), "Command_ZoomIn");
    ZoomOutButton = Named(new QPushButton(this), "Command_ZoomOut");
    hint_ = new QLabel(this);
    ReadoutLabel = Named(new QLabel(this), "Label_Readout");
    ReadoutLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* boxes = new QVBoxLayout;
    for (int c = 0; c < channels; ++c) {
        const TrendChannel& channel = feed->Channels()[c];
        auto* box = Named(new QCheckBox(this), QStringLiteral("Check_Channel(%1)").arg(c));
        box->setText(channel.unit.isEmpty()
                         ? channel.name
                         : QStringLiteral("%1 (%2)").arg(channel.name, channel.unit));
        box->setChecked(true);
        box->setStyleSheet(
            QStringLiteral("QCheckBox { color: %1; font-weight: bold; }").arg(colors_[c].name()));
        connect(box, &QCheckBox::toggled, this, [this] {
            std::vector<bool> shown;
            for (QCheckBox* each : ChannelBoxes) shown.push_back(each->isChecked());
            lines_->SetShown(std::move(shown));
            changed_ = true;
            Redraw();
        });
        ChannelBoxes.push_back(box);
        boxes->addWidget(box);
    }
    boxes->addStretch(1);

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{PauseButton, FollowButton, ZoomInButton,
                                                      ZoomOutButton, hint_})
        buttons->addWidget(w);
    buttons->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(view_, 1);
    middle->addLayout(boxes);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(middle, 1);
    layout->addWidget(ReadoutLabel);
    resize(1000, 560);

    connect(PauseButton, &QPushButton::toggled, this, &TrendWindow::SetPaused);
    connect(FollowButton, &QPushButton::clicked, this, &TrendWindow::Follow);
    connect(ZoomInButton, &QPushButton::clicked, this, [this] { ZoomBy(0.5, To()); });
    connect(ZoomOutButton, &QPushButton::clicked, this, [this] { ZoomBy(2.0, To()); });
    connect(feed, &TrendFeed::Added, this, [this] { changed_ = true; });
    refresh_ = new QTimer(this);
    refresh_->setInterval(RefreshMs());
    connect(refresh_, &QTimer::timeout, this, &TrendWindow::RedrawIfChanged);
    refresh_->start();
    Retranslate();
}

void TrendWindow::Retranslate() {
    setWindowTitle(Ui(TrendTexts::Title).arg(feed_->Title()));
    PauseButton->setText(Ui(TrendTexts::Pause));
    FollowButton->setText(Ui(TrendTexts::Follow));
    ZoomInButton->setText(Ui(TrendTexts::ZoomIn));
    ZoomOutButton->setText(Ui(TrendTexts::ZoomOut));
    hint_->setText(Ui(TrendTexts::Hint));
}

void TrendWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Redraw();
}

int64_t TrendWindow::To() const {
    return following_ ? feed_->Now() : pausedTo_;
}

int64_t TrendWindow::Span() const {
    if (!following_) return span_;
    const TrendRing& ring = feed_->Ring();
    return TrendSpan::Following(
        span_, ring.Count() ? std::optional<int64_t>(ring.TimeAt(0)) : std::nullopt, feed_->Now());
}

int64_t TrendWindow::From() const {
    return To() - Span();
}

std::optional<TrendLane> TrendWindow::LaneOf(int channel) const {
    return lines_->LaneOf(channel);
}

int TrendWindow::RefreshMs() const {
    const double width = std::max(100.0, chart_->plotArea().width());
    return static_cast<int>(std::clamp<double>(3 * Span() / width, 1000, 2000));
}

void TrendWindow::RedrawIfChanged() {
    // A following view moves with the clock even when no reading came.
    if (isVisible() && (changed_ || following_)) Redraw();
}

void TrendWindow::Redraw() {
    changed_ = false;
    refresh_->setInterval(RefreshMs());
    const int64_t to = To(), from = to - Span();
    const int columns = std::max(100, static_cast<int>(chart_->plotArea().width()));
    const TrendRing& ring = feed_->Ring();
    const int channels = static_cast<int>(feed_->Channels().size());
    std::vector<std::vector<TrendSegment>> lines(channels);
    double low = INFINITY, high = -INFINITY;
    for (int c = 0; c < channels; ++c) {
        if (!ChannelBoxes[c]->isChecked()) continue;
        lines[c] = ring.View(c, from, to, columns, feed_->Channels()[c].steps);
        for (const TrendSegment& segment : lines[c])
            for (const QPointF& p : TrendLines::InView(segment, from, to)) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
    }
    FitValueAxis(low, high);
    lines_->SetLines(std::move(lines), from, to, valueAxis_->min(), valueAxis_->max());
}

void TrendWindow::FitValueAxis(double low, double high) {
    if (!std::isfinite(low)) low = 0, high = 1;
    const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::abs(high) * 0.05);
    low -= margin;
    high += margin;
    const double min = valueAxis_->min(), max = valueAxis_->max();
    if (low >= min && high <= max && (high - low) * 2 >= max - min) return;
    valueAxis_->setRange(low, high);
    valueAxis_->applyNiceNumbers();
}

int64_t TrendWindow::TimeAt(QPointF viewPosition) const {
    const QPointF inChart = chart_->mapFromScene(view_->mapToScene(viewPosition.toPoint()));
    const QRectF area = chart_->plotArea();
    const double share = area.width() > 0 ? (inChart.x() - area.left()) / area.width() : 0;
    return From() + std::llround(share * Span());
}

bool TrendWindow::PlotContains(QPointF viewPosition) const {
    return chart_->plotArea().contains(
        chart_->mapFromScene(view_->mapToScene(viewPosition.toPoint())));
}

const std::vector<TrendSegment>& TrendWindow::LinesOf(int channel) const {
    return lines_->LinesOf(channel);
}

void TrendWindow::Follow() {
    span_ = kDefaultSpanMs;
    following_ = true;
    PauseButton->setChecked(false);
    Redraw();
}

void TrendWindow::SetPaused(bool paused) {
    if (paused == !following_) return;
    if (paused) {
        // The view holds what it showed, a young trend's shorter span too.
        spanBeforePause_ = span_;
        span_ = heldSpan_ = Span();
        pausedTo_ = To();
    } else if (span_ == heldSpan_) {
        span_ = spanBeforePause_;
    }
    following_ = !paused;
    PauseButton->setChecked(paused);
    Redraw();
}

void TrendWindow::ZoomBy(double factor, int64_t anchorMs) {
    const int64_t to = To(), shown = Span();
    const auto span =
        std::clamp<int64_t>(std::llround(shown * factor), kShortestSpanMs, kLongestSpanMs);
    if (!following_) {
        // The time under the mouse stays where it is on the axis.
        const double share = shown > 0 ? static_cast<double>(to - anchorMs) / shown : 0;
        pausedTo_ = anchorMs + std::llround(share * span);
    }
    span_ = span;
    Redraw();
}

void TrendWindow::PanBy(int64_t ms) {
    SetPaused(true);
    pausedTo_ += ms;
    Redraw();
}

QString TrendWindow::ReadoutAt(int64_t ms) const {
    const TrendRing& ring = feed_->Ring();
    const int index = ring.Nearest(ms);
    if (index < 0) return QString();
    QStringList parts{QDateTime::fromMSecsSinceEpoch(ring.TimeAt(index))
                          .toString(QStringLiteral("HH:mm:ss.zzz"))};
    for (int c = 0; c < ring.Channels(); ++c) {
        if (!ChannelBoxes[c]->isChecked()) continue;
        const TrendChannel& channel = feed_->Channels()[c];
        const double value = ring.ValueAt(index, c);
        const QString shown = std::isnan(value)
                                  ? Ui(TrendTexts::NoValue)
                                  : TrendCsv::ValueText(value, channel.decimals) + channel.unit;
        parts << QStringLiteral("%1 %2").arg(channel.name, shown);
    }
    return parts.join(QStringLiteral("   "));
}

void TrendWindow::ShowReadoutAt(int64_t ms) {
    const TrendRing& ring = feed_->Ring();
    const int index = ring.Nearest(ms);
    lines_->SetCursor(index < 0 ? -1 : ring.TimeAt(index));
    ReadoutLabel->setText(ReadoutAt(ms));
}

void TrendWindow::HideReadout() {
    lines_->SetCursor(-1);
    ReadoutLabel->clear();
}

int64_t TrendWindow::CursorMs() const {
    return lines_->Cursor();
}
