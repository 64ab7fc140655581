#include "cli/CliRun.h"

#include <QElapsedTimer>
#include <QThread>

#include "cli/CliTexts.h"
#include "core/scan/ParameterSearch.h"
#include "core/traffic/TrafficLog.h"

void PauseMs(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!Interrupted() && clock.elapsed() < ms)
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(20, ms - clock.elapsed())));
}

int CliRun::Usage(const QString& message) const {
    err << "zntool: " << message << '\n'
        << CliTexts::Text(CliTexts::HelpHint).arg("zntool " + options.Command()) << '\n';
    err.flush();
    return kUsage;
}

void CliRun::Say(const QString& message) const {
    err << message << '\n';
    err.flush();
}

bool CliRun::OpenLine(const QString& port, const SerialCandidate& settings) const {
    return line.Open(port, ParameterSearch::SettingsOf(settings));
}

Exchange CliRun::NewExchange() const {
    return Exchange(line, TrafficLog::Instance());
}

int AskFailed(const CliRun& run, Asked asked, int address, const Exchange& exchange) {
    if (asked == Asked::LineFailed) return kLineFailed;
    if (asked == Asked::NoReply)
        run.Say(CliTexts::Text(CliTexts::NoReply).arg(address));
    else
        run.Say(
            CliTexts::Text(CliTexts::BadReply).arg(address).arg(exchange.ReceivedText.trimmed()));
    return kNegative;
}
