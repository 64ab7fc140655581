// Traffic monitor benchmark. The real ZN210 window polls the simulator on sys/COM1 of a working
// folder, either with the monitor closed or with it open and recording to a file, and reports
// the CPU time per cycle and the resident memory with the log's ring already full; then, with the
// monitor open, how long the table takes to paint a page while it is scrolled through.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <cstdio>

#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "workwindow/PollLoop.h"
#include "core/traffic/TrafficLog.h"
#include "monitor/TrafficMonitor.h"
#include "workwindow/WorkWindow.h"
#include "tools/bench/BenchWindow.h"
#include "tools/bench/PaintCensus.h"

namespace {
// Rows like the poll's own, enough to fill the ring, so memory is measured at its ceiling.
void FillRing() {
    TrafficLog& log = TrafficLog::Instance();
    const Frame request = AppendCrc16(ReadRequest(1, 3, 0, 4));
    const Frame reply = AppendCrc16(Frame{1, 3, 8, 2, 0x6C, 2, 0x6D, 2, 0x6E, 2, 0x6F});
    TrafficCause cause;
    cause.kind = TrafficCause::PollA;
    for (int i = 0; i < TrafficLog::kCapacity; i += 2) {
        log.NoteRequest(request, static_cast<int>(request.size()), 0, cause);
        log.NoteReply(reply, log.Now(), ReplyVerdict::Accepted, {13});
    }
}

// Mean and worst time to paint one page of the table, stepping a page at a time from the top.
void ScrollFigures(TrafficMonitor* monitor) {
    QTableView* table = monitor->Table();
    QScrollBar* bar = table->verticalScrollBar();
    bar->setValue(0);
    QApplication::processEvents();
    const int step = std::max(1, bar->pageStep());
    double total = 0, worst = 0;
    int frames = 0;
    // Rendered into an image, so every page is really painted, shown on a screen or not.
    QImage page(table->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (int value = 0; value <= bar->maximum(); value += step) {
        QElapsedTimer clock;
        clock.start();
        bar->setValue(value);
        table->viewport()->render(&page);
        const double ms = clock.nsecsElapsed() / 1e6;
        total += ms;
        worst = std::max(worst, ms);
        ++frames;
    }
    std::printf(
        "scroll_rows %d\nscroll_pages %d\nscroll_page_mean_ms %.2f\nscroll_page_max_ms %.2f\n",
        table->model()->rowCount(), frames, total / frames, worst);
}

int Run(const char* folder, int cycles, bool monitorOpen, bool hidden, const QString& recordPath) {
    WorkWindow* window = OpenBenchWindow(folder, "ZN210");
    if (!window) return 2;
    PollLoop* loop = LoopNamed(*window, "TM_Acquisition_A");
    if (!loop) return std::fprintf(stderr, "no poll loop\n"), 2;
    FillRing();
    TrafficMonitor* monitor = nullptr;
    if (monitorOpen) {
        window->ShowTraffic();
        monitor = TrafficMonitor::Existing();
        if (!recordPath.isEmpty()) monitor->RecordTo(recordPath);
        if (hidden) monitor->hide();  // made, recording, but painting nothing
        if (!TrafficLog::Instance().Recording() && !recordPath.isEmpty())
            return std::fprintf(stderr, "not recording\n"), 2;
    }

    PaintCensus census;
    double rssHalfMb = 0;  // the picture caches fill in the first half; the second shows the level
    const auto run = RunPolls(*window, {loop}, cycles, [&](int tick) {
        if (tick == 1) census.Start();
        if (tick == cycles / 2 + 1) rssHalfMb = StatusMb("VmRSS");
        if (tick == cycles + 1) census.Stop();
    });
    if (!run) return 3;

    std::printf("mode %s\ncycles %d\naccepted %d\nrows_in_ring %d\n",
                !monitorOpen ? "closed"
                : hidden     ? "hidden+recording"
                             : (recordPath.isEmpty() ? "open" : "open+recording"),
                cycles, run->accepted, TrafficLog::Instance().Count());
    std::printf("cycle_mean_ms %.2f\ncpu_ms_per_cycle %.3f\n", run->WallMs() / cycles,
                run->cpuMs / cycles);
    std::printf(
        "rss_first_cycle_mb %.2f\nrss_half_way_mb %.2f\nrss_last_cycle_mb %.2f\npeak_rss_mb %.1f\n",
        run->rssStartMb, rssHalfMb, run->rssEndMb, PeakRssMb());
    std::printf("%s", qPrintable(census.Report(cycles)));
    window->Command_Port_Click();
    if (monitor && !hidden) ScrollFigures(monitor);
    return 0;
}
// Polls `cycles` times with the monitor open, then saves pictures of the monitor and the work
// window: what a technician sees of the faults the simulator plays.
int Shot(const char* folder, int cycles, const QString& picture) {
    WorkWindow* window = OpenBenchWindow(folder, "ZN210");
    if (!window) return 2;
    PollLoop* loop = LoopNamed(*window, "TM_Acquisition_A");
    if (!loop) return 2;
    window->move(0, 0);
    window->ShowTraffic();
    TrafficMonitor* monitor = TrafficMonitor::Existing();
    monitor->move(60, 300);
    int ticks = 0;
    QObject::connect(loop->Acquisition, &QTimer::timeout, [&] {
        if (++ticks > cycles) QApplication::quit();
    });
    window->Command_Port_Click();
    loop->Button->click();
    QApplication::exec();
    loop->Button->click();
    QApplication::processEvents();
    monitor->grab().save(picture + "-monitor.png");
    monitor->FaultsOnly->setChecked(true);
    QApplication::processEvents();
    monitor->grab().save(picture + "-rejected.png");
    window->grab().save(picture + "-window.png");
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && (args[2] == "closed" || args[2] == "open" || args[2] == "hidden")) {
        const int cycles = args.size() > 3 ? args[3].toInt() : 1000;
        return Run(argv[1], cycles, args[2] != "closed", args[2] == "hidden",
                   args.size() > 4 ? args[4] : QString());
    }
    if (args.size() == 5 && args[2] == "shot") return Shot(argv[1], args[3].toInt(), args[4]);
    std::fprintf(stderr,
                 "usage: zn_traffic_bench FOLDER closed|open|hidden [CYCLES [RECORD_FILE]]\n"
                 "       zn_traffic_bench FOLDER shot CYCLES PICTURE_PREFIX\n"
                 "  FOLDER holds sys/ (set.rc, set2.rc, tm.rc) and sys/COM1 to the simulator\n");
    return 2;
}
