// monitor: the frames of a bus another master drives, one row each as it is heard, judged as the
// listen window judges them. It only ever listens: the line is opened so that nothing can be
// written, with --listen-only or without (the option lets a script say so).
#include <QEventLoop>
#include <QTimer>

#include "base/Switches.h"
#include "cli/CliOutput.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "core/listen/ListenSession.h"
#include "core/scan/ParameterSearch.h"
#include "core/traffic/TrafficTexts.h"

int RunMonitor(const CliRun& run) {
    const CliOptions& o = run.options;
    QString port, error;
    int count = 0, seconds = 0;
    double tolerance = 0;
    ListenLimits limits;
    SerialCandidate settings;
    if (!o.Port(&port, &error) || !o.Int("--count", 0, 1000000000, 0, &count, &error) ||
        !o.Int("--seconds", 0, 1000000000, 0, &seconds, &error) ||
        !o.Decimal("--tolerance", 1, 50, ListenSession::kDefaultTolerance, &tolerance, &error) ||
        !o.Int("--late", 1, 60000, limits.lateMs, &limits.lateMs, &error) ||
        !o.Int("--no-reply", 10, 60000, limits.noReplyMs, &limits.noReplyMs, &error) ||
        !o.Settings("--baud", "--parity", {9600, 'N'}, &settings, &error))
        return run.Usage(error);

    const bool english = Switches().EnglishUi == 1;
    CliOutput output(run.out, run.format, TrafficTexts::ColumnNames(english));
    ListenSession session;
    QEventLoop loop;
    int rows = 0;
    QObject::connect(&session.Log(), &TrafficLog::RowAdded, &loop, [&](const TrafficRow& row) {
        if (count > 0 && rows >= count) return;  // one read may bring more than was asked for
        QStringList cells;
        for (int column = 0; column < TrafficTexts::ColumnCount; ++column)
            cells << TrafficTexts::Cell(row, column, english);
        output.Row(cells);
        if (count > 0 && ++rows >= count) loop.quit();
    });
    const QString settingsText = ParameterSearch::SettingsOf(settings);
    if (!session.Start(port, settingsText, tolerance, limits)) return kLineFailed;
    // The session ends by itself only when the line is lost (said once, as for any line).
    QObject::connect(&session, &ListenSession::ActiveChanged, &loop, [&](bool active) {
        if (!active) loop.quit();
    });
    output.Begin();
    run.Say(CliTexts::Text(CliTexts::Listening).arg(port, settingsText));
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, &loop, [&] {
        if (Interrupted()) loop.quit();
    });
    interrupt.start(50);
    if (seconds > 0) QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    if (!(count > 0 && rows >= count)) loop.exec();
    const bool lost = !session.Active();
    session.Stop();

    run.Say(ModuleStats::Columns(english).join(QStringLiteral("  ")));
    for (const ModuleTally& module : session.Stats().Modules())
        run.Say(ModuleStats::Cells(module, english).join(QStringLiteral("  ")));
    return lost ? kLineFailed : kDone;
}
