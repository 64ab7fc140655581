#pragma once
// What the benchmark drivers share: a real work window opened in a working folder, one of its
// poll loops found by its timer's name, and the process's own figures.
#include <QString>
#include <QStringList>

class PollLoop;
class WorkWindow;

// Runs the start-up in `folder` (which holds sys/) and opens the work window of `model`; null,
// with the reason on stderr, when the folder or the window does not exist.
WorkWindow* OpenBenchWindow(const char* folder, const QString& model);
// The loop whose poll timer is `acquisitionName` ("TM_Acquisition_A"); null when none is.
PollLoop* LoopNamed(const WorkWindow& window, const QString& acquisitionName);

// CPU time of the process so far, user and system.
double CpuMs();
// Peak resident memory as the kernel's accounting has it.
double PeakRssMb();
// A memory figure of /proc/self/status in MB: "VmRSS" (resident now), "VmHWM" (resident peak).
double StatusMb(const char* field);
// Descriptors the process holds open, each as "number target".
QStringList OpenFds();
