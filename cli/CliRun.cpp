#include "cli/CliRun.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <csignal>

#include "cli/CliTexts.h"
#include "core/scan/ParameterSearch.h"
#include "core/traffic/TrafficLog.h"

namespace {
std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted = true;
}
}  // namespace

struct InterruptScope::Saved {
    struct sigaction interrupt = {};
    struct sigaction terminate = {};
};

InterruptScope::InterruptScope() : saved_(std::make_unique<Saved>()) {
    interrupted = false;
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &saved_->interrupt);
    sigaction(SIGTERM, &action, &saved_->terminate);
}

InterruptScope::~InterruptScope() {
    sigaction(SIGINT, &saved_->interrupt, nullptr);
    sigaction(SIGTERM, &saved_->terminate, nullptr);
}

bool Interrupted() {
    return interrupted;
}

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
