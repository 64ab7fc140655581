// set: a module's new address or line settings written, then read back where it should now be.
#include "base/Switches.h"
#include "cli/CliOutput.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "core/scan/ParameterSearch.h"
#include "core/scan/ScanRows.h"

namespace {
constexpr int kRegisterAddress = 100;
constexpr int kRegisterParameterCode = 101;
constexpr int kEchoBytes = 8;
}  // namespace

int RunSet(const CliRun& run) {
    const CliOptions& o = run.options;
    QString port, error;
    int address = 0, newAddress = 0, waitMs = 0;
    SerialCandidate settings, newSettings;
    if (!o.Port(&port, &error) || !o.Address("--address", std::nullopt, &address, &error) ||
        !o.Address("--new-address", 0, &newAddress, &error) ||
        !o.Int("--wait", 1, 60000, 1000, &waitMs, &error) ||
        !o.Settings("--baud", "--parity", {9600, 'N'}, &settings, &error) ||
        !o.Settings("--new-baud", "--new-parity", settings, &newSettings, &error))
        return run.Usage(error);
    const bool changesSettings = o.Has("--new-baud") || o.Has("--new-parity");
    if (newAddress == 0 && !changesSettings)
        return run.Usage(CliTexts::Text(CliTexts::NothingToChange));
    // The code the parameter window would write for these settings: a short code while the
    // short lists are in force.
    const int code = changesSettings
                         ? ParameterCodes::CodeOfEntry(ParameterCodes::EntryText(newSettings),
                                                       Switches().FullSerialLists == 1)
                         : 0;
    if (changesSettings && code == 0)
        return run.Usage(CliTexts::Text(CliTexts::NotInList)
                             .arg(o.Has("--new-baud") ? "--new-baud" : "--new-parity",
                                  ParameterSearch::SettingsOf(newSettings)));

    if (!run.OpenLine(port, settings)) return kLineFailed;
    Exchange exchange = run.NewExchange();
    int at = address;
    if (newAddress != 0) {
        const Asked asked = exchange.Ask(
            TrafficCause::Write,
            WriteRegisterRequest(static_cast<uint8_t>(at), kRegisterAddress, newAddress),
            {kEchoBytes}, waitMs);
        if (asked != Asked::Answered) return AskFailed(run, asked, at, exchange);
        at = newAddress;
    }
    if (changesSettings) {
        const Asked asked = exchange.Ask(
            TrafficCause::Write,
            WriteRegisterRequest(static_cast<uint8_t>(at), kRegisterParameterCode, code),
            {kEchoBytes}, waitMs);
        if (asked != Asked::Answered) return AskFailed(run, asked, at, exchange);
        if (!run.line.Reopen(port, ParameterSearch::SettingsOf(newSettings))) return kLineFailed;
    }
    // The read-back, at the module's new address and settings.
    const Asked asked = exchange.Ask(
        TrafficCause::PollA, ReadRequest(static_cast<uint8_t>(at), 0x03, kRegisterAddress, 3),
        {ParameterSearch::kReplyBytes}, waitMs);
    if (asked != Asked::Answered) return AskFailed(run, asked, at, exchange);
    const ModuleParameters module = ModuleParametersText::Decode(exchange.ReceivedText);
    const QString lines = ModuleParametersText::Lines(module).replace("\r\n", "\n");
    ScanRow row;
    row.address = module.address;
    row.heardAt = changesSettings ? newSettings : settings;
    row.registers = module;
    CliOutput output(run.out, run.format, ScanRows::Columns().mid(0, 3));
    output.Row(ScanRows::Cells(row).mid(0, 3), lines);
    if (module.address != at || (changesSettings && module.parameterCode != code)) {
        run.Say(CliTexts::Text(CliTexts::ReadBackDiffers).arg(QString(lines).replace('\n', "; ")));
        return kNegative;
    }
    return kDone;
}
