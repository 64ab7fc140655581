#pragma once
// What each command shares: its checked options, its streams, the line it owns, and asking a
// module on that line.
#include <QTextStream>
#include <memory>

#include "cli/CliOptions.h"
#include "core/exchange/Exchange.h"
#include "core/line/Line.h"

enum CliExit { kDone = 0, kNegative = 1, kUsage = 2, kLineFailed = 3 };

struct CliRun {
    const CliOptions& options;
    QTextStream& out;
    QTextStream& err;
    Line& line;  // the command's own line, closed when it ends
    OutputFormat format = OutputFormat::Text;

    // A refused input: the message, a hint, and the usage exit code.
    int Usage(const QString& message) const;
    // A message on the error stream.
    void Say(const QString& message) const;
    // Opens the command's line at these settings; false when it would not open (its message
    // said).
    bool OpenLine(const QString& port, const SerialCandidate& settings) const;
    // An exchange on the command's line.
    Exchange NewExchange() const;
};

// True once Ctrl-C was pressed: a command ends at its next step.
bool Interrupted();
// Waits `ms`, ending early on Ctrl-C.
void PauseMs(int ms);
// Ctrl-C and a termination ask the running command to end at its next step while one of these
// lives; the old handling comes back after.
class InterruptScope {
  public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

// The exit code of a request not answered as asked, its reason said.
int AskFailed(const CliRun& run, Asked asked, int address, const Exchange& exchange);
