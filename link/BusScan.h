#pragma once
// A bus scan over the process's one line: a read of registers 100..102 per probe of the plan, each
// reply judged and turned into a row. The Bus Scan window paces the probes with its timer; a
// headless program runs them here.
#include <QString>
#include <functional>
#include <optional>

#include "link/Modbus.h"
#include "link/ScanPlan.h"
#include "link/ScanRows.h"

namespace BusScan {
inline constexpr int kReplyBytes = 11;  // address, 03, 6, three words, CRC

// The probe's request: a read of registers 100..102 at its address.
Frame ProbeRequest(const ScanProbe& probe);
// The row a probe's reply makes: none for silence or for the broadcast probe; a readable row for
// an accepted reply; else a row saying what answered instead (exception, bad CRC, ...).
std::optional<ScanRow> RowOf(const ScanProbe& probe, ReplyVerdict verdict,
                             const QString& receivedText, int responseMs);
// Runs the plan to its end on `port`, opened at each probe's settings. False when the port would
// not open or went away (its message shown); the rows found so far are kept. `stop`, asked
// before each probe, ends the scan early (true is returned then, the plan not done).
bool Run(const QString& port, ScanPlan& plan, ScanRows& rows,
         const std::function<void(const ScanProbe&)>& onProbe = {},
         const std::function<bool()>& stop = {});
}  // namespace BusScan
