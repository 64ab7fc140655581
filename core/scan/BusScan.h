#pragma once
// A bus scan over a line: a read of registers 100..102 per probe of the plan, each
// reply judged and turned into a row. The Bus Scan window paces the probes with its timer; a
// headless program runs them here.
#include <QString>
#include <functional>
#include <optional>

#include "core/protocol/Modbus.h"
#include "core/scan/ScanPlan.h"
#include "core/scan/ScanRows.h"

class Line;

namespace BusScan {
inline constexpr int kReplyBytes = 11;  // address, 03, 6, three words, CRC

// The probe's request: a read of registers 100..102 at its address.
Frame ProbeRequest(const ScanProbe& probe);
// The row a probe's reply makes: none for silence or for the broadcast probe; a readable row for
// an accepted reply; else a row saying what answered instead (exception, bad CRC, ...).
std::optional<ScanRow> RowOf(const ScanProbe& probe, ReplyVerdict verdict,
                             const QString& receivedText, int responseMs);
// What came back to a probe, sorted: a slower module's late answer (a well-formed reply from an
// address already probed) is that module's row, flagged slow, never the probe's own.
struct ProbeReply {
    QString own;                // the probe's own reply in received-text form (empty: none)
    std::vector<ScanRow> rows;  // the late answers' rows, then the probe's own row
    bool waitOn = false;        // only late answers so far: wait on for the probe's own reply
};
// `ownResponseMs`: when the probe's reply began; `lateResponseMs(a)`: when what came began, after
// address a's request; `timeLeft`: the probe's wait is not over yet.
ProbeReply SortReply(const ScanProbe& probe, const ScanPlan& plan, const QString& receivedText,
                     const QString& sentText, int ownResponseMs,
                     const std::function<int(int address)>& lateResponseMs, bool timeLeft);

// Runs the plan to its end on `port`, opened at each probe's settings. False when the port would
// not open or went away (its message shown); the rows found so far are kept. `stop`, asked
// before each probe, ends the scan early (true is returned then, the plan not done).
bool Run(Line& line, const QString& port, ScanPlan& plan, ScanRows& rows,
         const std::function<void(const ScanProbe&)>& onProbe = {},
         const std::function<bool()>& stop = {});
// The same on the process's port.
bool Run(const QString& port, ScanPlan& plan, ScanRows& rows,
         const std::function<void(const ScanProbe&)>& onProbe = {},
         const std::function<bool()>& stop = {});
}  // namespace BusScan
