#pragma once
// What the benchmark drivers share: a real work window opened in a working folder, one of its
// poll loops found by its timer's name, and the process's own figures.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class PollLoop;
class WorkWindow;

// Runs the start-up in `folder` (which holds sys/) and opens the work window of `model`; null,
// with the reason on stderr, when the folder or the window does not exist.
WorkWindow* OpenBenchWindow(const char* folder, const QString& model);
// The loop whose poll timer is `acquisitionName` ("TM_Acquisition_A"); null when none is.
PollLoop* LoopNamed(const WorkWindow& window, const QString& acquisitionName);

// What a run of poll cycles measured, from the first tick to the tick after the last cycle.
struct PollRun {
    int accepted = 0;                 // replies the window called normal
    double cpuMs = 0;                 // CPU time of the process over the cycles
    double rssStartMb = 0;            // resident memory at the first tick
    double rssEndMb = 0;              // and at the last
    double peakStartMb = 0;           // resident peak at the first tick
    std::vector<double> tickMs;       // each tick's time since the run began
    double openToFirstAcceptMs = -1;  // from the click that opens the port to the first reply
                                      // the window called normal
    double WallMs() const { return tickMs.back() - tickMs.front(); }
};

// Opens the window's port, starts the first of `loops` and polls for `cycles` cycles, the loops'
// ticks counted together. `onTick(n)` runs after the n-th tick's own handlers (n from 1 to
// cycles + 1). Empty, with the reason on stderr, when the run did not finish in time.
std::optional<PollRun> RunPolls(WorkWindow& window, const std::vector<PollLoop*>& loops, int cycles,
                                const std::function<void(int)>& onTick = {});

// CPU time of the process so far, user and system.
double CpuMs();
// Peak resident memory as the kernel's accounting has it.
double PeakRssMb();
// A memory figure of /proc/self/status in MB: "VmRSS" (resident now), "VmHWM" (resident peak).
double StatusMb(const char* field);
// Descriptors the process holds open, each as "number target".
QStringList OpenFds();
