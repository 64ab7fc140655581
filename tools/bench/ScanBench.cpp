// Scan benchmark driver: the real Bus Scan window scans addresses 1..247 of the line on sys/COM1
// of a working folder at its panel's settings with the default reply wait ("scan"), or a naive
// scan steps through the same addresses with the parameter window's fixed waits (a request every
// 150 ms, its reply judged 100 ms after, through the same exchange path) ("naive"). Prints the
// elapsed time, the probes sent and the modules found.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "workwindow/CommPanel.h"
#include "workwindow/VbTimer.h"
#include "workwindow/WorkWindow.h"
#include "tools/bench/BenchWindow.h"
#include "windows/scan/ScanFrm.h"

namespace {
int Scan(const char* folder) {
    auto* window = qobject_cast<ScanFrm*>(OpenBenchWindow(folder, "ScanFrm"));
    if (!window) return 2;
    window->Command_Port_Click();
    if (!window->Panel()->PortOpen()) return std::fprintf(stderr, "port not open\n"), 2;
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = CpuMs();
    window->Command_Scan_Click();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window->Scanning()) QApplication::quit();
    });
    poll.start(5);
    QTimer::singleShot(600000, [] { QApplication::exit(3); });
    if (QApplication::exec() != 0) return std::fprintf(stderr, "timed out\n"), 3;
    const double elapsed = clock.nsecsElapsed() / 1e6;
    int flagged = 0;
    for (const ScanRow& row : window->Rows().Rows()) flagged += row.Mismatch() ? 1 : 0;
    std::printf("scan_elapsed_ms %.0f\nscan_found %d\nscan_flagged %d\nscan_cpu_ms %.0f\n", elapsed,
                static_cast<int>(window->Rows().Rows().size()), flagged, CpuMs() - cpuStart);
    window->Command_Port_Click();
    delete window;
    return 0;
}

// The parameter window's pace: a step every 150 ms, its reply judged 100 ms after the request.
class NaiveScan : public WorkWindow {
  public:
    NaiveScan() {
        TM_Acquisition_A = new VbTimer("TM_Acquisition_A", this);
        TM_Overtime_A = new VbTimer("TM_Overtime_A", this);
        TM_Acquisition_A->SetInterval(150);
        TM_Overtime_A->SetInterval(100);
        connect(TM_Acquisition_A, &QTimer::timeout, this, &NaiveScan::Step);
        connect(TM_Overtime_A, &QTimer::timeout, this, &NaiveScan::Judge);
    }
    VbTimer *TM_Acquisition_A, *TM_Overtime_A;
    int address = 0;
    int found = 0;

    void Step() {
        TM_Acquisition_A->SetEnabled(false);
        ++address;
        SendFrame(ReadRequest(static_cast<uint8_t>(address), 0x03, 100, 3));
        TM_Overtime_A->SetEnabled(true);
        TM_Acquisition_A->SetEnabled(address < 247);
    }
    void Judge() {
        ReplyRule rule;
        rule.expectedBytes = {11};
        rule.reopensOnReject = false;
        rule.resumesLoop = false;
        if (FinishExchange(TM_Overtime_A, rule)) ++found;
        if (address >= 247) QApplication::quit();
    }
};

int Naive(const char* folder) {
    if (!OpenBenchWindow(folder, "ScanFrm")) return 2;  // the same start-up and settings
    NaiveScan window;
    window.OpenWindow();
    window.Command_Port_Click();
    if (!window.Panel()->PortOpen()) return std::fprintf(stderr, "port not open\n"), 2;
    QElapsedTimer clock;
    clock.start();
    window.Step();
    QTimer::singleShot(600000, [] { QApplication::exit(3); });
    if (QApplication::exec() != 0) return std::fprintf(stderr, "timed out\n"), 3;
    std::printf("naive_elapsed_ms %.0f\nnaive_found %d\n", clock.nsecsElapsed() / 1e6,
                window.found);
    window.Command_Port_Click();
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString mode = argc > 2 ? argv[1] : "";
    if (mode == "scan") return Scan(argv[2]);
    if (mode == "naive") return Naive(argv[2]);
    std::fprintf(stderr, "usage: zn_scan_bench scan|naive FOLDER\n");
    return 2;
}
