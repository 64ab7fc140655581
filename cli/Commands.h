#pragma once
// What each command shares: its checked options, its streams and the line it works on.
#include <QTextStream>

#include "cli/CliOptions.h"
#include "link/Exchange.h"

enum CliExit { kDone = 0, kNegative = 1, kUsage = 2, kLineFailed = 3 };

struct CliRun {
    const CliOptions& options;
    QTextStream& out;
    QTextStream& err;
    OutputFormat format = OutputFormat::Text;

    // A refused input: the message, a hint, and the usage exit code.
    int Usage(const QString& message) const;
    // A message on the error stream.
    void Say(const QString& message) const;
};

// True once Ctrl-C was pressed: a command ends at its next step.
bool Interrupted();
// Waits `ms`, ending early on Ctrl-C.
void PauseMs(int ms);

// One request and its reply on the open line.
enum class Asked { Answered, NoReply, WrongReply, LineFailed };
Asked Ask(Exchange& exchange, TrafficCause::Kind cause, const Frame& request, int replyBytes,
          int waitMs);
// The exit code of a request not answered as asked, its reason said.
int AskFailed(const CliRun& run, Asked asked, int address, const Exchange& exchange);
// Opens the line at these settings; false when it would not open (its message said).
bool OpenLine(const QString& port, const SerialCandidate& settings);

int RunSearch(const CliRun& run);
int RunScan(const CliRun& run);
int RunRead(const CliRun& run);
int RunWrite(const CliRun& run);
int RunPoll(const CliRun& run);
int RunPorts(const CliRun& run);
int RunSet(const CliRun& run);
int RunCommission(const CliRun& run);
int RunMonitor(const CliRun& run);
