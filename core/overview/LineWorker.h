#pragma once
// One line of a line file, polled by one strictly sequential worker: a line object of its own,
// opened at the line's settings, its modules asked one at a time in the scheduler's order, each
// poll reported as it ends. The worker runs in whatever thread calls Run; nothing it does raises
// a message box.
#include <QString>
#include <atomic>
#include <functional>
#include <vector>

#include "core/overview/LineFile.h"
#include "core/overview/ModulePoller.h"
#include "core/overview/PollTally.h"
#include "core/overview/PollScheduler.h"

struct ModuleReport {
    int line = 0;  // indexes into the line file
    int module = 0;
    int64_t timeMs = 0;  // when the poll ended, ms since the epoch
    ModulePoll poll;
    ModuleStatus status = ModuleStatus::Unknown;
    bool wrongModel = false;  // its registers name another model: never polled as the file's
    QString modelRead;        // the model its registers named, once read
    PollTally tally;          // since the start or the last reset
};

class LineWorker {
  public:
    using Sink = std::function<void(const ModuleReport&)>;

    LineWorker(const LineOfModules& line, int lineIndex);

    // Opens the line and polls until `stop` is set. False when the line would not open, or failed
    // while polled, with why in `error`. A later run goes on with the counts, alarms and models
    // read of the runs before.
    bool Run(const std::atomic<bool>& stop, const Sink& sink, QString* error);
    // The counts start again from the next poll; from any thread.
    void ResetCounts() { resetCounts_ = true; }

    // An answer later than this is late: three quarters of the reply wait, so a module that
    // comes near to timing out shows before it does.
    static int LateLimitMs(int waitMs) { return waitMs * 3 / 4; }

  private:
    // Waits until `dueMs` (steady) or a stop, whichever comes first.
    static void WaitUntil(int64_t dueMs, const std::atomic<bool>& stop);

    LineOfModules line_;
    std::vector<ModulePoller> pollers_;
    std::vector<ModuleReport> reports_;
    std::atomic<bool> resetCounts_{false};
};
