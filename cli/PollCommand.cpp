// poll: an input module's readings decoded as its window shows them, one line per poll.
#include <QDateTime>

#include "base/Switches.h"
#include "cli/CliOutput.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "link/AnalogCodec.h"
#include "link/TrendCsv.h"

int RunPoll(const CliRun& run) {
    const CliOptions& o = run.options;
    QString port, error;
    int address = 0, count = 0, intervalMs = 0, waitMs = 0;
    SerialCandidate settings;
    if (!o.Port(&port, &error) || !o.Address("--address", std::nullopt, &address, &error) ||
        !o.Int("--count", 0, 1000000000, 0, &count, &error) ||
        !o.Int("--interval", 0, 3600000, 1000, &intervalMs, &error) ||
        !o.Int("--wait", 1, 60000, 1000, &waitMs, &error) ||
        !o.Settings("--baud", "--parity", {9600, 'N'}, &settings, &error))
        return run.Usage(error);
    if (!o.Has("--model")) return run.Usage(CliTexts::Text(CliTexts::MissingOption).arg("--model"));
    const auto model = AnalogCodec::InputChannelsOf(o.Value("--model").trimmed().toUpper());
    if (!model)
        return run.Usage(CliTexts::Text(CliTexts::NotAModel).arg("--model", o.Value("--model")));

    const int channels = static_cast<int>(model->names.size());
    std::vector<TrendChannel> trend;
    for (const QString& name : model->names)
        trend.push_back({name, AnalogCodec::UnitOf(model->reading),
                         AnalogCodec::DecimalsOf(model->reading), false});
    QStringList columns = {CliTexts::Text(CliTexts::ColTime)};
    columns += model->names;
    CliOutput output(run.out, run.format, columns);

    if (!OpenLine(port, settings)) return kLineFailed;
    if (run.format == OutputFormat::Csv) {
        run.out << CsvText(TrendCsv::Header(trend, Switches().EnglishUi == 1));
        run.out.flush();
    }
    Exchange exchange;
    int failures = 0;
    for (int poll = 0; (count == 0 || poll < count) && !Interrupted(); ++poll) {
        if (poll > 0) PauseMs(intervalMs);
        if (Interrupted()) break;
        const Asked asked = Ask(exchange, TrafficCause::PollA,
                                AnalogCodec::PollRequest(static_cast<uint8_t>(address), channels),
                                AnalogCodec::PollReplyBytes(channels), waitMs);
        if (asked == Asked::LineFailed) return kLineFailed;
        if (asked != Asked::Answered) {
            ++failures;
            run.Say(asked == Asked::NoReply ? CliTexts::Text(CliTexts::NoReply).arg(address)
                                            : CliTexts::Text(CliTexts::BadReply)
                                                  .arg(address)
                                                  .arg(exchange.ReceivedText.trimmed()));
            continue;
        }
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const auto readings =
            AnalogCodec::ReadingsOfReply(model->reading, exchange.ReceivedText, channels);
        std::vector<double> values;
        QStringList cells = {TrendCsv::LocalTime(now)}, shown;
        for (int k = 0; k < channels; ++k) {
            values.push_back(readings[k].reading.value);
            cells << readings[k].reading.text;
            shown << model->names[k] + ' ' + readings[k].reading.text;
        }
        if (run.format == OutputFormat::Csv) {
            run.out << CsvText(TrendCsv::Line(now, values, trend));
            run.out.flush();
        } else {
            output.Row(cells, shown.join(QStringLiteral("  ")));
        }
    }
    return failures > 0 ? kNegative : kDone;
}
