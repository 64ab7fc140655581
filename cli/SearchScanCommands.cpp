// search and scan: the parameter window's search and the Bus Scan window's scan, headless.
#include "base/Switches.h"
#include "cli/CliOutput.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "core/scan/BusScan.h"
#include "core/scan/ParameterSearch.h"
#include "core/scan/ScanTexts.h"

namespace {
bool LineFailed(const CliRun& run) {
    return !run.line.IsOpen() || run.line.Vanished();
}
}  // namespace

int RunSearch(const CliRun& run) {
    const CliOptions& o = run.options;
    QString port, error;
    int wanted = 0, waitMs = 0;
    SerialCandidate start;
    if (!o.Port(&port, &error) || !o.Address("--address", 0, &wanted, &error) ||
        !o.Int("--wait", 1, 60000, 300, &waitMs, &error) ||
        !o.Settings("--baud", "--parity", {9600, 'N'}, &start, &error))
        return run.Usage(error);
    ParameterSearch search(Switches().FullSerialLists == 1);
    int firstStep = 0;
    if (o.Has("--baud") || o.Has("--parity")) {
        firstStep = -1;
        for (int step = 0; step < search.Count() && firstStep < 0; ++step)
            if (search.Candidate(step) == start) firstStep = step;
        if (firstStep < 0)
            return run.Usage(
                CliTexts::Text(CliTexts::NotABaud)
                    .arg("--baud", o.Value("--baud").isEmpty() ? "9600" : o.Value("--baud")));
    }
    const auto found = search.Run(run.line, port, waitMs, firstStep);
    if (!found) {
        if (LineFailed(run)) return kLineFailed;
        run.Say(CliTexts::Text(CliTexts::NotFound));
        return kNegative;
    }
    // The scan's first three columns: a search finds what a scan row shows.
    const ModuleParameters& module = found->parameters;
    ScanRow row;
    row.address = module.address;
    row.heardAt = found->settings;
    row.registers = module;
    CliOutput output(run.out, run.format, ScanRows::Columns().mid(0, 3));
    output.Row(ScanRows::Cells(row).mid(0, 3),
               ModuleParametersText::Lines(module).replace("\r\n", "\n"));
    if (wanted != 0 && module.address != wanted) {
        run.Say(CliTexts::Text(CliTexts::OtherAddress).arg(module.address).arg(wanted));
        return kNegative;
    }
    return kDone;
}

int RunScan(const CliRun& run) {
    const CliOptions& o = run.options;
    QString port, error;
    int from = 0, to = 0, waitMs = 0;
    SerialCandidate settings;
    if (!o.Port(&port, &error) ||
        !o.Int("--from", ScanPlan::kLowest, ScanPlan::kHighest, ScanPlan::kLowest, &from, &error) ||
        !o.Int("--to", ScanPlan::kLowest, ScanPlan::kHighest, ScanPlan::kHighest, &to, &error) ||
        !o.Int("--wait", 0, 60000, 0, &waitMs, &error) ||
        !o.Settings("--baud", "--parity", {9600, 'N'}, &settings, &error))
        return run.Usage(error);
    if (from > to) return run.Usage(CliTexts::Text(CliTexts::FromAfterTo).arg(from).arg(to));
    std::vector<SerialCandidate> tried = {settings};
    if (o.Has("--all-settings"))
        tried = ParameterCodes::SearchCandidates(Switches().FullSerialLists == 1);
    ScanPlan plan(from, to, tried, waitMs);
    ScanRows rows;
    const bool lineHeld = BusScan::Run(run.line, port, plan, rows, {}, Interrupted);
    CliOutput output(run.out, run.format, ScanRows::Columns());
    output.Begin();
    for (const ScanRow& row : rows.Rows()) output.Row(ScanRows::Cells(row));
    if (!lineHeld) return kLineFailed;
    if (rows.Rows().empty()) {
        run.Say(CliTexts::Text(CliTexts::NotFound));
        return kNegative;
    }
    return kDone;
}
