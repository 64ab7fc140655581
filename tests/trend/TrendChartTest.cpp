// Trend charts of real windows: 0/1 inputs in lanes of their own and every line in a colour of
// its own, the readout only while the mouse is over the plot, and a new trend seen whole.
#include <QApplication>
#include <QCheckBox>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QValueAxis>
#include <cmath>
#include <functional>
#include <set>

#include "tests/support/WindowTest.h"
#include "trend/TrendFeed.h"
#include "trend/TrendWindow.h"
#include "windows/analog/AnalogInputWindow.h"
#include "windows/digital/CombinationWindows.h"
#include "windows/digital/DigitalIoWindows.h"

namespace {
const int64_t kStart = QDateTime(QDate(2026, 12, 7), QTime(13, 44, 10, 123)).toMSecsSinceEpoch();
constexpr int64_t kSecond = 1000, kMinute = 60 * kSecond;

// The chart shown and laid out.
TrendWindow* Shown(TrendFeed* feed) {
    TrendWindow* chart = feed->Chart();
    chart->show();
    for (int i = 0; i < 200 && chart->Chart()->plotArea().height() < 100; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(chart->Chart()->plotArea().height(), 100);
    return chart;
}
}  // namespace

class TrendChartTest : public WindowTest {
  protected:
    void UseClock(TrendFeed* feed) {
        feed->SetClock([this] { return now_; });
    }
    int64_t now_ = kStart;
};

TEST_F(TrendChartTest, DigitalInputsEachHaveALaneAndEveryLineAColourOfItsOwn) {
    struct Case {
        const char* model;
        std::function<WorkWindow*()> make;
        int inputs;  // of its digital-input panel; 0: none
    };
    const Case cases[] = {
        {"ZN330", [] { return new ZN330Frm; }, 16}, {"ZN310", [] { return new ZN310Frm; }, 8},
        {"ZN350", [] { return new ZN350Frm; }, 8},  {"ZN410", [] { return new ZN410Frm; }, 4},
        {"ZN420", [] { return new ZN420Frm; }, 4},  {"ZN430", [] { return new ZN430Frm; }, 4},
        {"ZN220", [] { return new ZN220Frm; }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        std::unique_ptr<WorkWindow> window(c.make());
        int digitalPanels = 0;
        for (TrendFeed* feed : window->findChildren<TrendFeed*>()) {
            UseClock(feed);
            TrendWindow* chart = Shown(feed);
            const int channels = static_cast<int>(feed->Channels().size());
            std::set<QRgb> colors;
            for (int k = 0; k < channels; ++k) colors.insert(chart->ColorOf(k).rgb());
            EXPECT_EQ(static_cast<int>(colors.size()), channels);
            if (!feed->Channels()[0].steps) {
                for (int k = 0; k < channels; ++k) EXPECT_FALSE(chart->LaneOf(k)) << k;
                continue;
            }
            ++digitalPanels;
            EXPECT_EQ(channels, c.inputs);
            // Lanes from the top of the plot to its bottom in the order of the inputs; a hidden
            // input gives its room to the others.
            for (int hidden : {-1, 1}) {
                SCOPED_TRACE(hidden);
                if (hidden >= 0) chart->ChannelBoxes[hidden]->setChecked(false);
                const QRectF plot = chart->Chart()->plotArea();
                const double height = plot.height() / (hidden < 0 ? channels : channels - 1);
                double next = plot.top();
                for (int k = 0; k < channels; ++k) {
                    const std::optional<TrendLane> lane = chart->LaneOf(k);
                    ASSERT_EQ(lane.has_value(), k != hidden) << k;
                    if (!lane) continue;
                    EXPECT_DOUBLE_EQ(lane->top, next) << k;
                    EXPECT_DOUBLE_EQ(lane->bottom - lane->top, height) << k;
                    next = lane->bottom;
                }
                EXPECT_DOUBLE_EQ(next, plot.bottom());
            }
            // The readout still reads 0 or 1 per shown input.
            std::vector<double> reading;
            QString readout = QStringLiteral("13:44:10.123");
            for (int k = 0; k < channels; ++k) {
                reading.push_back(k % 3 == 0 ? 1 : 0);
                if (k != 1)
                    readout += QStringLiteral("   DI_%1 %2")
                                   .arg(k + 1, 2, 10, QChar('0'))
                                   .arg(k % 3 == 0 ? 1 : 0);
            }
            feed->Add(reading);
            EXPECT_EQ(chart->ReadoutAt(kStart), readout);
        }
        EXPECT_EQ(digitalPanels, c.inputs > 0 ? 1 : 0);
    }
}

TEST_F(TrendChartTest, TheReadoutAndItsLineShowOnlyWhileTheMouseIsOverThePlot) {
    ZN330Frm window;
    TrendFeed* feed = window.Inputs->Trend;
    UseClock(feed);
    for (int i = 0; i < 20; ++i, now_ += kSecond) feed->Add(std::vector<double>(16, i % 2));
    TrendWindow* chart = Shown(feed);
    QWidget* viewport = chart->View()->viewport();
    const QRectF plot = chart->Chart()->plotArea();
    const auto inView = [chart](QPointF inChart) {
        return QPointF(chart->View()->mapFromScene(chart->Chart()->mapToScene(inChart)));
    };
    const auto moveTo = [viewport](QPointF at) {
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        bool shown;
    };
    const Step steps[] = {
        {"over the plot", [&] { moveTo(inView(plot.center())); }, true},
        {"over the names beside it",
         [&] {
             moveTo(inView({plot.left() - 4, plot.center().y()}));
         },
         false},
        {"back over the plot", [&] { moveTo(inView(plot.center())); }, true},
        {"out of the chart",
         [&] {
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(viewport, &leave);
         },
         false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(chart->ReadoutLabel->text().startsWith("13:44:"), step.shown)
            << chart->ReadoutLabel->text().toStdString();
        EXPECT_EQ(chart->CursorMs() >= kStart, step.shown);
        if (!step.shown) EXPECT_EQ(chart->ReadoutLabel->text(), "");
        if (!step.shown) EXPECT_EQ(chart->CursorMs(), -1);
    }
}

TEST_F(TrendChartTest, ANewTrendIsSeenWholeUntilTenMinutesHavePassed) {
    ZN220Frm window;
    TrendFeed* feed = window.Input->Trend;
    UseClock(feed);
    TrendWindow* chart = feed->Chart();
    struct Step {
        const char* what;
        int64_t at;  // from kStart, a reading then
        std::function<void()> act;
        bool following;
        int64_t from, to;  // from kStart
    };
    const auto nothing = [] {};
    const Step steps[] = {
        {"the first reading: ten seconds", 0, nothing, true, -10 * kSecond, 0},
        {"five seconds on: still ten", 5 * kSecond, nothing, true, -5 * kSecond, 5 * kSecond},
        {"three minutes on: all of them", 3 * kMinute, nothing, true, 0, 3 * kMinute},
        {"paused, it holds", 4 * kMinute, [chart] { chart->PauseButton->click(); }, false, 0,
         4 * kMinute},
        {"a minute later, still held", 5 * kMinute, nothing, false, 0, 4 * kMinute},
        {"resumed: all of them again", 5 * kMinute, [chart] { chart->PauseButton->click(); }, true,
         0, 5 * kMinute},
        {"zoomed in: half of that, following", 6 * kMinute,
         [chart] { chart->ZoomInButton->click(); }, true, 3 * kMinute, 6 * kMinute},
        {"back to the last ten: all of them", 7 * kMinute,
         [chart] { chart->FollowButton->click(); }, true, 0, 7 * kMinute},
        {"ten minutes on: the last ten", 10 * kMinute, nothing, true, 0, 10 * kMinute},
        {"twelve minutes on: the last ten", 12 * kMinute, nothing, true, 2 * kMinute, 12 * kMinute},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        now_ = kStart + step.at;
        feed->Add(std::vector<double>(8, 25.0));
        step.act();
        EXPECT_EQ(chart->Following(), step.following);
        EXPECT_EQ(chart->From() - kStart, step.from);
        EXPECT_EQ(chart->To() - kStart, step.to);
    }
}

TEST_F(TrendChartTest, SteadyLinesStayInViewPausedZoomedPannedOrFollowing) {
    // A level line is kept as its two ends, which a short or held view may both leave behind.
    struct Case {
        const char* what;
        std::function<void(TrendWindow*)> act;
        bool following;
    };
    const auto toTenSeconds = [](TrendWindow* chart) {
        while (chart->Span() > TrendWindow::kShortestSpanMs) chart->ZoomInButton->click();
    };
    const Case cases[] = {
        {"zoomed to ten seconds and paused",
         [&](TrendWindow* chart) {
             toTenSeconds(chart);
             chart->PauseButton->click();
         },
         false},
        {"ten minutes paused", [](TrendWindow* chart) { chart->PauseButton->click(); }, false},
        {"zoomed and panned back a minute",
         [&](TrendWindow* chart) {
             toTenSeconds(chart);
             chart->PanBy(-kMinute);
         },
         false},
        {"zoomed, following", toTenSeconds, true},
        {"ten minutes, following", [](TrendWindow*) {}, true},
    };
    const double levels[] = {50.0, 45.0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZN220Frm window;
        TrendFeed* feed = window.Input->Trend;
        UseClock(feed);
        std::vector<double> reading(8, NAN);
        reading[0] = levels[0];
        reading[1] = levels[1];
        // A quarter of an hour of steady readings, one a second.
        for (now_ = kStart; now_ < kStart + 15 * kMinute; now_ += kSecond) feed->Add(reading);
        TrendWindow* chart = Shown(feed);
        c.act(chart);
        // Readings go on after the view was set.
        for (int i = 0; i < 3; ++i, now_ += kSecond) feed->Add(reading);
        now_ -= kSecond / 2;
        chart->Redraw();
        EXPECT_EQ(chart->Following(), c.following);
        const auto* axis = qobject_cast<QValueAxis*>(chart->Chart()->axes(Qt::Vertical).value(0));
        ASSERT_TRUE(axis);
        EXPECT_LT(axis->min(), levels[1]);
        EXPECT_GT(axis->max(), levels[0]);
        EXPECT_LT(axis->max() - axis->min(), 20);
        // Each line is drawn across the plot at its level.
        const QImage image = chart->View()->viewport()->grab().toImage();
        const QRectF plot = chart->Chart()->plotArea();
        for (int k = 0; k < 2; ++k) {
            SCOPED_TRACE(k);
            const double y = plot.bottom() - (levels[k] - axis->min()) /
                                                 (axis->max() - axis->min()) * plot.height();
            for (double share : {0.1, 0.5, 0.9}) {
                const QPoint at = chart->View()->mapFromScene(
                    chart->Chart()->mapToScene(plot.left() + share * plot.width(), y));
                bool seen = false;
                for (int dy = -1; dy <= 1; ++dy)
                    seen = seen || (image.valid(at + QPoint(0, dy)) &&
                                    image.pixelColor(at + QPoint(0, dy)) == chart->ColorOf(k));
                EXPECT_TRUE(seen) << share;
            }
        }
        const QString readout = chart->ReadoutAt(chart->From() + chart->Span() / 2);
        EXPECT_TRUE(readout.contains("DS1 50.0℃   DS2 45.0℃")) << readout.toStdString();
    }
}
