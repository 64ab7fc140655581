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
