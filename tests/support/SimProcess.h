#pragma once
// The real znsim program and other command-line peers, run from a test.
#include <QProcess>
#include <QString>
#include <QStringList>

// Where the tests find znsim: the one built beside them (ZNSIM_BUILT), or ZN_ZNSIM_PATH from the
// environment when set, for a run from a copy of the test programs (the unprivileged run, whose
// user may not reach the build tree). ZNSIM_PATH names this function.
QString ZnsimPath();

// Path of a tool on PATH, or in the sbin folders where Debian puts servers; empty when it is not
// installed.
QString FindTool(const QString& name);

struct ToolRun {
    int exitCode = -1;  // -1: did not finish in time or did not start
    QString output;     // standard output and error together
};
// Runs a program to its end (killed after `timeoutMs`).
ToolRun RunTool(const QString& program, const QStringList& args, int timeoutMs = 10000);

// znsim running in the background for the life of the object.
class SimProcess {
  public:
    ~SimProcess();
    // Starts znsim and waits until it says its lines are ready; false when it did not.
    bool Start(const QStringList& args);
    // SIGTERM (or `signal`) and the exit code; -1 when it did not end.
    int Stop(int signal = 15);
    // What it printed so far.
    QString Output();
    // Waits until it has printed `text` `times` times in all; false when it did not in time.
    bool WaitFor(const QString& text, int times = 1, int timeoutMs = 5000);

  private:
    QProcess process_;
    QString output_;
};
