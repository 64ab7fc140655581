// Benchmark driver. "poll": the real ZN210 window polls the simulator on sys/COM1 of a working
// folder for a number of cycles and reports the cycle time, CPU time per cycle and peak RSS.
// "startup": the main window's start-up, from a launch time given by the caller to the window
// being exposed on screen. "floor": what the same screen changes cost in a bare window.
// "connect": the longest the event loop stood still while a network line was opened.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/MainWindow.h"
#include "core/line/SerialPort.h"
#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "workwindow/PollLoop.h"
#include "workwindow/WorkWindow.h"
#include "tools/bench/BenchWindow.h"
#include "tools/bench/FloorBench.h"
#include "tools/bench/PaintCensus.h"

namespace {
// `how`: empty for loop A alone; "AB" for loop A, then loop B for the second half of the
// cycles; any other text is put in the window's Combo_Sel (SysFrm's register group).
int Poll(const char* folder, int cycles, const QString& model, const QString& how) {
    WorkWindow* window = OpenBenchWindow(folder, model);
    if (!window) return 2;
    PollLoop* first = LoopNamed(*window, "TM_Acquisition_A");
    PollLoop* second = how == "AB" ? LoopNamed(*window, "TM_Acquisition_B") : nullptr;
    if (!first || (how == "AB" && !second)) return std::fprintf(stderr, "no poll loop\n"), 2;
    if (!how.isEmpty() && how != "AB") {
        auto* group = window->findChild<QComboBox*>("Combo_Sel");
        if (!group) return std::fprintf(stderr, "no group list\n"), 2;
        group->setEditText(how);
    }

    PaintCensus census;
    std::vector<PollLoop*> loops{first};
    if (second) loops.push_back(second);
    const auto run = RunPolls(*window, loops, cycles, [&](int tick) {
        if (tick == 1) census.Start();
        if (second && tick == cycles / 2)
            QTimer::singleShot(0, second->Button, &QPushButton::click);
        if (tick == cycles + 1) census.Stop();
    });
    if (!run) return 3;

    const std::vector<double>& ticks = run->tickMs;
    std::vector<double> cycle;
    for (size_t i = 1; i < ticks.size(); ++i) cycle.push_back(ticks[i] - ticks[i - 1]);
    std::sort(cycle.begin(), cycle.end());
    const double total = ticks.back() - ticks.front();
    std::printf("cycles %d\naccepted %d\n", cycles, run->accepted);
    std::printf("cycle_mean_ms %.2f\ncycle_p50_ms %.2f\ncycle_p99_ms %.2f\ncycle_max_ms %.2f\n",
                total / cycles, cycle[cycle.size() / 2], cycle[cycle.size() * 99 / 100],
                cycle.back());
    std::printf("open_to_first_accept_ms %.1f\n", run->openToFirstAcceptMs);
    std::printf("cpu_ms_per_cycle %.3f\ncpu_percent %.2f\npeak_rss_mb %.1f\n", run->cpuMs / cycles,
                100.0 * run->cpuMs / total, PeakRssMb());
    std::printf("%s", qPrintable(census.Report(cycles)));
    window->Command_Port_Click();
    delete window;
    return 0;
}

int StartUp(long long launchNs) {
    Main main;
    main.Form_Load();
    main.show();
    while (!main.windowHandle() || !main.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    std::printf("startup_ms %.1f\npeak_rss_mb %.1f\n", (now - launchNs) / 1e6, PeakRssMb());
    return 0;
}
// Opens `name` with a timer asking for a turn of the event loop every millisecond, and reports
// the longest time between two turns (from the start of the open to its end).
int Connect(const QString& name) {
    QElapsedTimer clock;
    double lastTurnMs = 0, longestMs = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        longestMs = std::max(longestMs, now - lastTurnMs);
        lastTurnMs = now;
    });
    ticker.start(1);
    clock.start();
    const bool opened = SerialPort::OpenPort(name, "9600,N,8,1");
    const double totalMs = clock.nsecsElapsed() / 1e6;
    longestMs = std::max(longestMs, totalMs - lastTurnMs);
    std::printf("connect_opened %d\nconnect_ms %.1f\nconnect_longest_freeze_ms %.1f\n",
                opened ? 1 : 0, totalMs, longestMs);
    SerialPort::ClosePort();
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == "poll")
        return Poll(argv[2], args[3].toInt(), args.size() > 4 ? args[4] : "ZN210",
                    args.size() > 5 ? args[5] : QString());
    if (args.size() == 3 && args[1] == "startup") return StartUp(args[2].toLongLong());
    if (args.size() == 3 && args[1] == "connect") return Connect(args[2]);
    if (args.size() == 3 && args[1] == "floor")
        return Floor(args[2].toInt(), FloorChange::None) ||
               Floor(args[2].toInt(), FloorChange::Fills) ||
               Floor(args[2].toInt(), FloorChange::Boxes);
    std::fprintf(
        stderr,
        "usage: zn_bench poll FOLDER CYCLES [MODEL [AB|GROUP]] | zn_bench startup LAUNCH_NS |\n"
        "       zn_bench floor CYCLES | zn_bench connect NETWORK-LINE\n"
        "  FOLDER holds sys/ (set.rc, set2.rc, tm.rc) and sys/COM1 to the simulator;\n"
        "  LAUNCH_NS is the launch time in ns since the epoch (date +%%s%%N)\n");
    return 2;
}
