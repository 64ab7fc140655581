#pragma once
// The modules a bus scan found, as lines of a line file: one line per line settings the modules
// answered at, each module at the address it answered at. Only readable rows of a known model
// are taken. All the lines are on the scanned port, so only the first (the most modules) is
// enabled; the others are there to be switched to.
#include <QString>
#include <optional>
#include <vector>

#include "core/overview/LineFile.h"
#include "core/scan/ScanRows.h"

// The line file of a scan of `port`; no lines when it found no module a line can hold. A line's
// wait is the default at its settings, or more where a slow module needs it.
LineFile LineFileOfScan(const QString& port, const std::vector<ScanRow>& rows);

// The lines of a CSV the scan window saved (its header in either language), as LineFileOfScan
// makes them. Nothing for a file that is not one, with the message (naming the file, in English
// or Chinese) in `error`.
std::optional<std::vector<LineOfModules>> LinesOfScanCsv(const QString& path, const QString& port,
                                                         bool english, QString* error);
