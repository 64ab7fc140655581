// watch: every module of the lines in a line file polled at once, each line by its own worker,
// one row per module poll as it ends; what the line overview window shows, without a display.
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

#include "base/Switches.h"
#include "cli/CliOutput.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "core/overview/OverviewRows.h"
#include "core/overview/OverviewRun.h"
#include "core/publish/BrokerFactory.h"
#include "core/publish/WatchPublisher.h"
#include "core/record/RotatingCsv.h"

namespace {
// The broker's settings from --mqtt and its fellows; false with the message when they cannot
// be used, or when they are given without --mqtt.
bool PublishSettings(const CliOptions& o, const LineFile& file, std::optional<BrokerSettings>* out,
                     QString* error) {
    const QStringList options = {"--mqtt-prefix", "--mqtt-id", "--mqtt-auth", "--mqtt-ca",
                                 "--ha-discovery"};
    if (!o.Has("--mqtt")) {
        for (const QString& option : options)
            if (o.Has(option)) {
                *error = CliTexts::Text(CliTexts::MissingOption).arg("--mqtt");
                return false;
            }
        return true;
    }
    PublishChoice choice;
    choice.url = o.Value("--mqtt");
    if (o.Has("--mqtt-prefix")) choice.prefix = o.Value("--mqtt-prefix").trimmed();
    choice.clientId = o.Value("--mqtt-id");
    choice.authFile = o.Value("--mqtt-auth");
    choice.caFile = o.Value("--mqtt-ca");
    choice.haDiscovery = o.Has("--ha-discovery");
    if (!o.Value("--ha-discovery").isEmpty()) choice.haPrefix = o.Value("--ha-discovery").trimmed();
    for (const char* option : {"--mqtt-auth", "--mqtt-ca", "--mqtt-id"})
        if (o.Has(option) && o.Value(option).trimmed().isEmpty()) {
            *error = CliTexts::Text(CliTexts::MissingValue).arg(option);
            return false;
        }
    BrokerSettings settings;
    if (!BrokerSettingsOf::Make(choice, file, o.Value("--line"), Switches().EnglishUi == 1,
                                &settings, error))
        return false;
    WatchPublisher::SetWill(&settings);
    *out = settings;
    return true;
}
}  // namespace

int RunWatch(const CliRun& run) {
    const CliOptions& o = run.options;
    QString error;
    int seconds = 0;
    CsvRotation rotation;
    if (!o.Int("--seconds", 0, 1000000000, 0, &seconds, &error) || !o.Rotation(&rotation, &error))
        return run.Usage(error);
    if (!o.Has("--line")) return run.Usage(CliTexts::Text(CliTexts::MissingOption).arg("--line"));
    if (o.Has("--record") && o.Value("--record").trimmed().isEmpty())
        return run.Usage(CliTexts::Text(CliTexts::MissingValue).arg("--record"));

    const auto file = LineFile::Load(o.Value("--line"), Switches().EnglishUi == 1, &error);
    if (!file) {
        run.Say(error);
        return kUsage;
    }
    std::optional<BrokerSettings> publishing;
    if (!PublishSettings(o, *file, &publishing, &error)) {
        run.Say(error);
        return kUsage;
    }
    RotatingCsv record;
    if (o.Has("--record") &&
        !record.Open(o.Value("--record"), Csv::Header(OverviewRows::RecordColumns()), rotation,
                     &error)) {
        run.Say(CliTexts::Text(CliTexts::RecordFailed).arg(o.Value("--record"), error));
        return kUsage;
    }

    CliOutput output(run.out, run.format, OverviewRows::RecordColumns());
    if (run.format == OutputFormat::Csv) output.Begin();
    OverviewRun lines(*file);
    QEventLoop loop;
    std::unique_ptr<Broker> broker;
    std::unique_ptr<WatchPublisher> publisher;
    if (publishing) {
        broker = MakeBroker(*publishing, Switches().EnglishUi == 1, &error);
        if (!broker) {
            run.Say(error);
            return kUsage;
        }
        publisher = std::make_unique<WatchPublisher>(*file, *publishing, broker.get(),
                                                     Switches().EnglishUi == 1);
        QObject::connect(publisher.get(), &WatchPublisher::Said, &loop,
                         [&run](const QString& text) { run.Say(text); });
    }
    int failed = 0;  // lines
    bool recordFailed = false;
    QObject::connect(&lines, &OverviewRun::Reported, &loop, [&](const ModuleReport& report) {
        if (publisher) publisher->Report(report);
        const std::vector<QStringList> rows = OverviewRows::RecordRows(*file, report);
        if (run.format == OutputFormat::Json) {
            run.out << QString::fromUtf8(OverviewRows::JsonLine(*file, report)) << '\n';
            run.out.flush();
        } else if (run.format == OutputFormat::Csv) {
            for (const QStringList& row : rows) output.Row(row);
        } else {
            run.out << OverviewRows::TextLine(*file, report) << '\n';
            run.out.flush();
        }
        if (!record.IsOpen()) return;
        for (const QStringList& row : rows) {
            if (record.Append(Csv::Line(row), &error)) continue;
            run.Say(CliTexts::Text(CliTexts::RecordFailed).arg(record.Path(), error));
            recordFailed = true;
            loop.quit();
            return;
        }
    });
    // A failed line is said at once; the others go on, and the watch ends when none is left.
    QObject::connect(&lines, &OverviewRun::LineFailed, &loop, [&](int line, const QString& why) {
        run.Say(CliTexts::Text(CliTexts::LineFailed).arg(file->lines[line].name, why));
        ++failed;
        if (!lines.AnyRunning()) loop.quit();
    });
    int watched = 0, modules = 0;
    for (const LineOfModules& line : file->lines) {
        if (!line.enabled) continue;
        ++watched;
        modules += static_cast<int>(line.modules.size());
    }
    run.Say(CliTexts::Text(CliTexts::Watching).arg(watched).arg(modules));
    lines.Start();
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, &loop, [&] {
        if (Interrupted()) loop.quit();
    });
    interrupt.start(50);
    if (seconds > 0) QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    if (watched == 0 && seconds == 0) return kDone;
    loop.exec();
    lines.Stop();
    if (publisher) publisher->Finish();
    record.Close();
    return failed > 0 ? kLineFailed : recordFailed ? kNegative : kDone;
}
