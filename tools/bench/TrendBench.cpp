// Trend benchmark. Eight channels (the ZN220 window, whose eighth sensor reads "No Sensor"):
//   live: the real window polls the simulator on sys/COM1 at poll 100 ms + reply wait 100 ms,
//         either with no chart and no recording ("plain") or with the chart shown and a
//         recording going ("chart"); the ring already holds an hour of readings, so the chart
//         draws a full ring and memory is at its ceiling. CPU time per cycle and memory.
//   hour: one hour of simulated time (18,000 cycles of 200 ms) run as fast as it goes: the
//         simulator's own measurement function gives the readings, the window's panel decodes
//         them from the reply text as a poll does, the feed's clock steps 200 ms per cycle, and
//         with "chart" the chart is redrawn and painted once per simulated second while a
//         recording goes on. CPU time per cycle and the growth of the resident peak.
//   shot: polls a ZN410 window (its measurements) or a ZN330 window (its sixteen inputs) for some
//         seconds with the trend shown, then saves pictures.
#include <QApplication>
#include <QChartView>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "workwindow/PollLoop.h"
#include "workwindow/WorkWindow.h"
#include "trend/TrendFeed.h"
#include "trend/TrendWindow.h"
#include "sim/ModelTable.h"
#include "sim/SimModule.h"
#include "tools/bench/BenchWindow.h"
#include "windows/analog/AnalogInputWindow.h"
#include "windows/digital/CombinationWindows.h"
#include "windows/digital/DigitalIoWindows.h"

namespace {
constexpr int kCycleMs = 200;
constexpr int kHourCycles = 3600 * 1000 / kCycleMs;

// The reply text a ZN220 gives at `seconds` of the simulator's time.
QString ReplyAt(double seconds) {
    const ModelInfo* model = FindModel("ZN220");
    Frame reply{1, 3, 16};
    for (int k = 0; k < 8; ++k) {
        const uint16_t raw = SimModule::Measurement(*model, k, seconds);
        reply.push_back(HighByte(raw));
        reply.push_back(LowByte(raw));
    }
    return SentTextOf(AppendCrc16(reply));
}

// An hour of readings ending now, through the panel's own decoding, so the ring is full.
void FillHour(AnalogInputWindow& window) {
    TrendFeed* feed = window.Input->Trend;
    const int64_t end = QDateTime::currentMSecsSinceEpoch();
    int64_t at = end - int64_t(kHourCycles) * kCycleMs;
    feed->SetClock([&at] { return at; });
    for (int i = 0; i < kHourCycles; ++i, at += kCycleMs) {
        window.ReceivedText = ReplyAt(i * kCycleMs / 1000.0);
        window.Input->ShowReadings();
    }
    feed->SetClock(nullptr);
}

void PrintFigures(const char* mode, int cycles, double cpuMs, double rssStart, double rssEnd,
                  double hwmStart, double hwmEnd) {
    std::printf("mode %s\ncycles %d\ncpu_ms_per_cycle %.4f\n", mode, cycles, cpuMs / cycles);
    std::printf(
        "rss_start_mb %.2f\nrss_end_mb %.2f\npeak_rss_start_mb %.2f\npeak_rss_end_mb %.2f\n",
        rssStart, rssEnd, hwmStart, hwmEnd);
}

int Live(const char* folder, bool chart, int cycles, const QString& recordPath) {
    auto* window = dynamic_cast<AnalogInputWindow*>(OpenBenchWindow(folder, "ZN220"));
    if (!window) return 2;
    PollLoop* loop = window->Input->Loop();
    TrendFeed* feed = window->Input->Trend;
    FillHour(*window);
    if (chart) {
        feed->ShowTrend();
        if (!recordPath.isEmpty() && !feed->StartRecording(recordPath))
            return std::fprintf(stderr, "not recording\n"), 2;
    }
    const auto run = RunPolls(*window, {loop}, cycles);
    if (!run) return 3;
    PrintFigures(chart ? "live chart+recording" : "live plain", cycles, run->cpuMs, run->rssStartMb,
                 run->rssEndMb, run->peakStartMb, StatusMb("VmHWM"));
    std::printf("accepted %d\ncycle_mean_ms %.1f\nring_samples %d\n", run->accepted,
                run->WallMs() / cycles, feed->Ring().Count());
    return 0;
}

int Hour(const char* folder, bool chart, const QString& recordPath) {
    auto* window = dynamic_cast<AnalogInputWindow*>(OpenBenchWindow(folder, "ZN220"));
    if (!window) return 2;
    TrendFeed* feed = window->Input->Trend;
    int64_t at = QDateTime::currentMSecsSinceEpoch();
    feed->SetClock([&at] { return at; });
    TrendWindow* view = nullptr;
    if (chart) {
        feed->ShowTrend();
        view = feed->Chart();
        if (!recordPath.isEmpty() && !feed->StartRecording(recordPath))
            return std::fprintf(stderr, "not recording\n"), 2;
    }
    QApplication::processEvents();
    const double rssStart = StatusMb("VmRSS"), hwmStart = StatusMb("VmHWM");
    const double cpuStart = CpuMs();
    double worstRedrawMs = 0, redrawMs = 0;
    int64_t nextRedraw = 0;
    for (int i = 0; i < kHourCycles; ++i, at += kCycleMs) {
        window->ReceivedText = ReplyAt(i * kCycleMs / 1000.0);
        window->Input->ShowReadings();
        // Redrawn as often as the shown chart's refresh would, by the simulated clock.
        if (view && at >= nextRedraw) {
            nextRedraw = at + view->RefreshMs();
            QElapsedTimer redraw;
            redraw.start();
            view->Redraw();
            redrawMs += redraw.nsecsElapsed() / 1e6;
            view->View()->viewport()->repaint();
            worstRedrawMs = std::max(worstRedrawMs, redraw.nsecsElapsed() / 1e6);
        }
        if (i % 50 == 0) QApplication::processEvents();
    }
    const double cpu = CpuMs() - cpuStart;
    PrintFigures(chart ? "hour chart+recording" : "hour plain", kHourCycles, cpu, rssStart,
                 StatusMb("VmRSS"), hwmStart, StatusMb("VmHWM"));
    std::printf("ring_samples %d\nworst_redraw_and_paint_ms %.2f\nredraw_ms_per_cycle %.4f\n",
                feed->Ring().Count(), worstRedrawMs, redrawMs / kHourCycles);
    if (view) std::printf("refresh_ms %d\n", view->RefreshMs());
    return 0;
}

// ZN410's measurements or ZN330's inputs polled for `seconds` with their trend shown, zoomed to
// the last `minutes` (0: the default view); pictures of the trend and of the window.
int Shot(const char* folder, const QString& model, int seconds, double minutes,
         const QString& picture) {
    WorkWindow* window = OpenBenchWindow(folder, model);
    PollLoop* loop = nullptr;
    TrendFeed* feed = nullptr;
    if (auto* combination = dynamic_cast<CombinationWindow*>(window)) {
        loop = combination->Measurements->Loop();
        feed = combination->Measurements->Trend;
    } else if (auto* inputs = dynamic_cast<DigitalIoWindow*>(window); inputs && inputs->Inputs) {
        loop = inputs->Inputs->Loop;
        feed = inputs->Inputs->Trend;
    }
    if (!feed) return 2;
    window->move(0, 0);
    window->Command_Port_Click();
    loop->Button->click();
    feed->ShowTrend();
    TrendWindow* chart = feed->Chart();
    chart->move(40, 330);
    chart->resize(1200, 620);
    if (minutes > 0) chart->ZoomBy(minutes * 60000.0 / TrendWindow::kDefaultSpanMs, chart->To());
    // A loop of its own: quitting the application would close the windows.
    const auto run = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    run(seconds * 1000);
    chart->Redraw();
    QApplication::processEvents();
    // The readout of the cursor near the newest readings.
    chart->ShowReadoutAt(chart->From() + (chart->To() - chart->From()) * 9 / 10);
    QApplication::processEvents();
    chart->grab().save(picture + "-trend.png");
    window->grab().save(picture + "-window.png");
    std::printf("%s\n", qPrintable(picture));
    // Stay a moment for a picture of the whole screen.
    std::fflush(stdout);
    run(4000);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(2), variant = args.value(3);
    if (mode == "live" && (variant == "plain" || variant == "chart"))
        return Live(argv[1], variant == "chart", args.value(4, "300").toInt(), args.value(5));
    if (mode == "hour" && (variant == "plain" || variant == "chart"))
        return Hour(argv[1], variant == "chart", args.value(4));
    if (mode == "shot" && args.size() == 7)
        return Shot(argv[1], args[3], args[4].toInt(), args[5].toDouble(), args[6]);
    std::fprintf(stderr,
                 "usage: zn_trend_bench FOLDER live plain|chart [CYCLES [RECORD_FILE]]\n"
                 "       zn_trend_bench FOLDER hour plain|chart [RECORD_FILE]\n"
                 "       zn_trend_bench FOLDER shot ZN410|ZN330 SECONDS MINUTES PICTURE_PREFIX\n"
                 "  FOLDER holds sys/ (set.rc, set2.rc, tm.rc) and sys/COM1 to the simulator\n");
    return 2;
}
