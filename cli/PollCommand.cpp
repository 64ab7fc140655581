// poll: a module's inputs decoded as its window shows them, one line per poll: the measurements
// of the analog and temperature models, the digital inputs, or both for the combination models.
#include <QDateTime>

#include "base/Switches.h"
#include "cli/CliOutput.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "core/modules/PollPlan.h"
#include "core/record/TrendCsv.h"

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
    const auto plan = PollPlan::Of(o.Value("--model").trimmed().toUpper());
    if (!plan)
        return run.Usage(CliTexts::Text(CliTexts::NotAModel).arg("--model", o.Value("--model")));

    QStringList columns = {CliTexts::Text(CliTexts::ColTime)};
    for (const TrendChannel& channel : plan->channels) columns << channel.name;
    CliOutput output(run.out, run.format, columns);

    if (!run.OpenLine(port, settings)) return kLineFailed;
    if (run.format == OutputFormat::Csv) {
        run.out << CsvText(TrendCsv::Header(plan->channels, Switches().EnglishUi == 1));
        run.out.flush();
    }
    const std::vector<PollPlan::Request> requests = plan->Requests(static_cast<uint8_t>(address));
    Exchange exchange = run.NewExchange();
    int failures = 0;
    // One request; false (its reason said) when it was not answered as asked.
    auto ask = [&](TrafficCause::Kind cause, const Frame& request, int replyBytes) {
        const Asked asked = exchange.Ask(cause, request, {replyBytes}, waitMs);
        if (asked == Asked::Answered || asked == Asked::LineFailed) return asked;
        ++failures;
        run.Say(asked == Asked::NoReply ? CliTexts::Text(CliTexts::NoReply).arg(address)
                                        : CliTexts::Text(CliTexts::BadReply)
                                              .arg(address)
                                              .arg(exchange.ReceivedText.trimmed()));
        return asked;
    };
    for (int poll = 0; (count == 0 || poll < count) && !Interrupted(); ++poll) {
        if (poll > 0) PauseMs(intervalMs);
        if (Interrupted()) break;
        std::vector<double> values;
        QStringList cells, shown;
        bool answered = true;
        for (size_t k = 0; k < requests.size() && answered; ++k) {
            const Asked asked = ask(k == 0 ? TrafficCause::PollA : TrafficCause::PollB,
                                    requests[k].frame, requests[k].replyBytes);
            if (asked == Asked::LineFailed) return kLineFailed;
            answered = asked == Asked::Answered;
            if (!answered) break;
            for (const AnalogCodec::Reading& reading : plan->ReadingsOf(k, exchange.ReceivedText)) {
                values.push_back(reading.value);
                cells << reading.text;
            }
        }
        if (!answered) continue;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (size_t k = 0; k < plan->channels.size(); ++k)
            shown << plan->channels[k].name + ' ' + cells[static_cast<int>(k)];
        if (run.format == OutputFormat::Csv) {
            run.out << CsvText(TrendCsv::Line(now, values, plan->channels));
            run.out.flush();
        } else {
            output.Row(QStringList{TrendCsv::LocalTime(now)} + cells,
                       shown.join(QStringLiteral("  ")));
        }
    }
    return failures > 0 ? kNegative : kDone;
}
