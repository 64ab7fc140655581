// commission: modules on a bench given their addresses one after another, each read back, as the
// Bus Scan window's batch page does it.
#include <QDateTime>
#include <QElapsedTimer>

#include "base/Switches.h"
#include "cli/CliOutput.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "core/scan/BatchLog.h"
#include "core/scan/BatchSession.h"
#include "core/scan/ParameterSearch.h"

int RunCommission(const CliRun& run) {
    const CliOptions& o = run.options;
    QString port, error;
    BatchSetup setup;
    SerialCandidate findAt;
    int count = 0;
    setup.fullLists = Switches().FullSerialLists == 1;
    if (!o.Port(&port, &error) ||
        !o.Address("--first", std::nullopt, &setup.firstAddress, &error) ||
        !o.Int("--step", 1, 246, 1, &setup.step, &error) ||
        !o.Int("--count", 0, 247, 0, &count, &error) ||
        !o.Settings("--baud", "--parity", {9600, 'N'}, &findAt, &error) ||
        !o.Settings("--give-baud", "--give-parity", findAt, &setup.newSettings, &error))
        return run.Usage(error);
    if (o.Has("--log") && o.Value("--log").trimmed().isEmpty())
        return run.Usage(CliTexts::Text(CliTexts::MissingValue).arg("--log"));
    CsvRotation rotation;
    if (!o.Rotation(&rotation, &error)) return run.Usage(error);
    BatchLogFile log;
    if (o.Has("--log") &&
        !log.Start(o.Value("--log"), rotation, QDateTime::currentDateTime(), &error)) {
        run.Say(CliTexts::Text(CliTexts::LogFailed).arg(o.Value("--log"), error));
        return kNegative;
    }
    setup.giveSettings = o.Has("--give-baud") || o.Has("--give-parity");
    if (setup.giveSettings &&
        ParameterCodes::CodeOfEntry(ParameterCodes::EntryText(setup.newSettings),
                                    setup.fullLists) == 0)
        return run.Usage(CliTexts::Text(CliTexts::NotInList)
                             .arg(o.Has("--give-baud") ? "--give-baud" : "--give-parity",
                                  ParameterSearch::SettingsOf(setup.newSettings)));
    setup.findAt = {findAt};

    BatchSession session(setup);
    CliOutput output(run.out, run.format, BatchLog::Columns());
    output.Begin();
    Exchange exchange = run.NewExchange();
    std::optional<SerialCandidate> openAt;
    QElapsedTimer clock;
    clock.start();
    int failed = 0;
    while (!Interrupted() && (count == 0 || session.Verified() < count)) {
        const BatchRequest request = session.Next();
        if (!openAt || !(*openAt == request.settings)) {
            const QString settings = ParameterSearch::SettingsOf(request.settings);
            if (!(openAt ? run.line.Reopen(port, settings) : run.line.Open(port, settings)))
                return kLineFailed;
            openAt = request.settings;
        }
        exchange.SetCause(TrafficCause::At(request.kind, request.address,
                                           ParameterSearch::SettingsOf(request.settings)));
        exchange.Send(request.body);
        if (run.line.Vanished()) return kLineFailed;
        run.line.WaitForInput(request.replyWaitMs);
        exchange.Collect(true);
        if (run.line.Vanished()) return kLineFailed;
        const BatchReply reply =
            BatchReplyOf(request, exchange.Judge(request.expected), exchange.ReceivedText);
        if (const auto record = session.Judge(reply, clock.elapsed())) {
            const QDateTime now = QDateTime::currentDateTime();
            output.Row(BatchLog::Cells(*record, now));
            if (!record->verified) ++failed;
            if (o.Has("--log") && !log.Append(*record, now, &error)) {
                run.Say(CliTexts::Text(CliTexts::LogFailed).arg(log.Path(), error));
                return kNegative;
            }
        }
        PauseMs(session.DelayMs());
    }
    return failed > 0 ? kNegative : kDone;
}
