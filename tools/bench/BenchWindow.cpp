#include "tools/bench/BenchWindow.h"

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/StartUp.h"
#include "app/WorkWindows.h"
#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "workwindow/PollLoop.h"
#include "workwindow/WorkWindow.h"

WorkWindow* OpenBenchWindow(const char* folder, const QString& model) {
    if (::chdir(folder) != 0) return std::fprintf(stderr, "no folder %s\n", folder), nullptr;
    RunStartUp();
    const auto& factories = WorkWindowFactories();
    if (!factories.count(model))
        return std::fprintf(stderr, "no window %s\n", qPrintable(model)), nullptr;
    WorkWindow* window = factories.at(model)();
    window->OpenWindow();
    return window;
}

PollLoop* LoopNamed(const WorkWindow& window, const QString& acquisitionName) {
    for (PollLoop* loop : window.Loops())
        if (loop->Acquisition->objectName() == acquisitionName) return loop;
    return nullptr;
}

std::optional<PollRun> RunPolls(WorkWindow& window, const std::vector<PollLoop*>& loops, int cycles,
                                const std::function<void(int)>& onTick) {
    PollRun run;
    double cpuStart = 0;
    double openAtMs = 0;
    QElapsedTimer clock;
    clock.start();
    // Connected after the window's own handlers, so these run after them.
    const auto tick = [&] {
        run.tickMs.push_back(clock.nsecsElapsed() / 1e6);
        const int n = static_cast<int>(run.tickMs.size());
        if (n == 1) {
            cpuStart = CpuMs();
            run.rssStartMb = StatusMb("VmRSS");
            run.peakStartMb = StatusMb("VmHWM");
        }
        if (n == cycles + 1) {
            run.cpuMs = CpuMs() - cpuStart;
            run.rssEndMb = StatusMb("VmRSS");
        }
        if (onTick) onTick(n);
        if (n == cycles + 1) QApplication::quit();
    };
    std::vector<QMetaObject::Connection> connections;
    for (PollLoop* loop : loops) {
        connections.push_back(QObject::connect(loop->Acquisition, &QTimer::timeout, tick));
        connections.push_back(QObject::connect(loop->Overtime, &QTimer::timeout, [&] {
            if (window.Panel()->Text_Message->text() != Tt(TextKey::MsgCommNormal)) return;
            if (run.accepted++ == 0)
                run.openToFirstAcceptMs = clock.nsecsElapsed() / 1e6 - openAtMs;
        }));
    }
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QApplication::exit(3); });
    deadline.start(cycles * 2000 + 5000);
    openAtMs = clock.nsecsElapsed() / 1e6;
    window.Command_Port_Click();
    loops.front()->Button->click();
    const bool finished = QApplication::exec() == 0;
    for (const auto& connection : connections) QObject::disconnect(connection);
    if (!finished) return std::fprintf(stderr, "timed out\n"), std::nullopt;
    return run;
}

double CpuMs() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double PeakRssMb() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double StatusMb(const char* field) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ')[0].toDouble() / 1024;
    return -1;
}

QStringList OpenFds() {
    QStringList fds;
    DIR* listing = ::opendir("/proc/self/fd");
    if (!listing) return fds;
    while (const dirent* entry = ::readdir(listing)) {
        // Not the dots, and not the listing's own descriptor.
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == ::dirfd(listing)) continue;
        char target[256] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        ::readlink(link.c_str(), target, sizeof target - 1);
        fds << QString::fromLatin1(entry->d_name) + " " + QString::fromLocal8Bit(target);
    }
    ::closedir(listing);
    return fds;
}
