// Soak driver: a real work window polls the simulator for many cycles, its handlers called one
// after the other and the reply awaited on the line instead of on the window's timers, and it
// reports memory, descriptors and how each fault the simulator made was judged.
// Usage: zn_soak FOLDER CYCLES SIMLOG [MODEL [LOOP]]
//   FOLDER holds sys/ and sys/COM1 to znsim, which logs with --verbose to SIMLOG; LOOP is the
//   letter of the poll loop to drive (A, or B for a combination window's digital inputs).
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "workwindow/PollLoop.h"
#include "core/line/SerialPort.h"
#include "workwindow/WorkWindow.h"
#include "tools/bench/BenchWindow.h"
#include "tools/bench/CountingPlatform.h"
#include "tools/bench/SimLogReader.h"

namespace {
struct Judged {
    int cycles = 0;
    int accepted = 0;
    // Of those, the cycles that another request's late reply reached after the request was sent.
    int hit = 0;
    int hitAccepted = 0;
};

// Fault kinds in the simulator's order, the faultless cycles first.
const std::vector<std::string> kKinds = {"none", "silence", "late",   "short",
                                         "lead", "garbage", "badcrc", "exception"};

int Soak(const char* folder, int cycles, const char* simLog, const QString& model,
         const QString& loopLetter) {
    CountingPlatform platform;
    WorkWindow* window = OpenBenchWindow(folder, model);
    if (!window) return 2;
    PollLoop* loop = LoopNamed(*window, "TM_Acquisition_" + loopLetter);
    if (!loop) return std::fprintf(stderr, "no poll loop %s\n", qPrintable(loopLetter)), 2;
    SimLogReader log(simLog);
    if (!log.Ok()) return std::fprintf(stderr, "no simulator log %s\n", simLog), 2;
    // The reply wait comes from tm.rc as the window loaded it; the timers themselves must never
    // fire, since the handlers are called here (an interval of 0 keeps them silent).
    const int replyWaitMs = loop->Overtime->interval();
    loop->Acquisition->SetInterval(0);
    loop->Overtime->SetInterval(0);

    window->Command_Port_Click();
    if (!window->Panel()->PortOpen()) return std::fprintf(stderr, "port did not open\n"), 2;
    log.Next();
    const QStringList fdStart = OpenFds();
    const double rssStart = StatusMb("VmRSS");
    double rss100 = -1;
    qsizetype fd100 = -1;
    std::map<std::string, Judged> byFault;
    int unmatched = 0;  // cycles whose request the simulator did not log exactly once
    int restarts = 0;   // the loop had stopped (refused tick or port closed) and was started again
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = CpuMs();

    loop->Click();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        if (!loop->Running() || !window->Panel()->PortOpen()) {
            ++restarts;
            if (!window->Panel()->PortOpen()) window->Command_Port_Click();
            if (!loop->Running()) loop->Click();
        }
        loop->AcquisitionTick();
        bool accepted = false;
        if (loop->Overtime->Enabled()) {
            // Where the window's reply timer would fire: the first byte on the line, or the
            // reply wait; the read then takes the rest as the timer's handler does.
            SerialPort::WaitForInput(replyWaitMs);
            loop->OvertimeTick();
            accepted = window->Panel()->Text_Message->text() == Tt(TextKey::MsgCommNormal);
        }
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const LoggedExchange logged = log.Next();
        if (logged.requests != 1) ++unmatched;
        Judged& row = byFault[logged.fault];
        ++row.cycles;
        row.accepted += accepted;
        if (logged.strayReplies > 0) {
            ++row.hit;
            row.hitAccepted += accepted;
        }
        if (cycle == 100) {
            rss100 = StatusMb("VmRSS");
            fd100 = OpenFds().size();
        }
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cpuMs = CpuMs() - cpuStart;
    const double rssEnd = StatusMb("VmRSS");
    const QStringList fdEnd = OpenFds();

    std::printf("model %s loop %s reply_wait_ms %d\n", qPrintable(model), qPrintable(loopLetter),
                replyWaitMs);
    std::printf("cycles %d\nrun_s %.1f\ncycle_mean_ms %.2f\ncpu_ms_per_cycle %.3f\n", cycles,
                seconds, seconds * 1000 / cycles, cpuMs / cycles);
    std::printf("rss_mb start %.1f  after_100 %.1f  end %.1f  peak %.1f\n", rssStart, rss100,
                rssEnd, StatusMb("VmHWM"));
    std::printf("open_fds start %d  after_100 %d  end %d\n", static_cast<int>(fdStart.size()),
                static_cast<int>(fd100), static_cast<int>(fdEnd.size()));
    for (const QString& fd : fdEnd)
        if (!fdStart.contains(fd)) std::printf("  opened since start: %s\n", qPrintable(fd));
    for (const QString& fd : fdStart)
        if (!fdEnd.contains(fd)) std::printf("  closed since start: %s\n", qPrintable(fd));
    // The last two columns: cycles into which an earlier request's late reply arrived, and how
    // many of those were accepted (a stale reply taken for this request's answer).
    std::printf("%-10s %8s %9s %9s %9s %9s\n", "fault", "cycles", "accepted", "rejected",
                "late_hit", "hit_acc");
    const auto print = [](const std::string& kind, const Judged& row) {
        std::printf("%-10s %8d %9d %9d %9d %9d\n", kind.c_str(), row.cycles, row.accepted,
                    row.cycles - row.accepted, row.hit, row.hitAccepted);
    };
    for (const std::string& kind : kKinds) {
        print(kind, byFault.count(kind) ? byFault[kind] : Judged{});
        byFault.erase(kind);
    }
    for (const auto& [kind, row] : byFault) print(kind, row);  // a kind not known here yet
    std::printf("unmatched_cycles %d\nloop_restarts %d\n", unmatched, restarts);
    int shown = 0;
    for (const auto& [text, count] : platform.messages) shown += count;
    std::printf("messages %d\n", shown);
    for (const auto& [text, count] : platform.messages)
        std::printf("  %5d x %s\n", count, qPrintable(text));
    std::printf("waits_skipped %d (%lld ms)\nbeeps %d\n", platform.waits, platform.waitedMs,
                platform.beeps);

    if (loop->Running()) loop->Click();
    if (window->Panel()->PortOpen()) window->Command_Port_Click();
    delete window;
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[2].toInt() > 0)
        return Soak(argv[1], args[2].toInt(), argv[3], args.size() > 4 ? args[4] : "ZN210",
                    args.size() > 5 ? args[5] : "A");
    std::fprintf(stderr,
                 "usage: zn_soak FOLDER CYCLES SIMLOG [MODEL [LOOP]]\n"
                 "  FOLDER holds sys/ and sys/COM1 to znsim, which logs with --verbose to SIMLOG;\n"
                 "  LOOP is the poll loop's letter (default A)\n");
    return 2;
}
