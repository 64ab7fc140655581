#include "core/scan/ParameterSearch.h"

#include "core/exchange/Exchange.h"
#include "core/line/SerialPort.h"

namespace {
constexpr uint8_t kBroadcast = 0;
constexpr int kFirstRegister = 100;
constexpr int kWords = 3;  // address, parameter code, model code
}  // namespace

QString ParameterSearch::SettingsOf(const SerialCandidate& candidate) {
    return QStringLiteral("%1,%2,8,1").arg(candidate.baud).arg(QChar(candidate.parity));
}

Frame ParameterSearch::Request() {
    return ReadRequest(kBroadcast, 0x03, kFirstRegister, kWords);
}

std::optional<ParameterSearch::Found> ParameterSearch::Run(
    const QString& port, int replyWaitMs, int firstStep,
    const std::function<void(int, const SerialCandidate&)>& onStep) {
    return Run(SerialPort::Port(), port, replyWaitMs, firstStep, onStep);
}

std::optional<ParameterSearch::Found> ParameterSearch::Run(
    Line& line, const QString& port, int replyWaitMs, int firstStep,
    const std::function<void(int, const SerialCandidate&)>& onStep) {
    Exchange exchange(line, TrafficLog::Instance());
    for (int step = firstStep; step < Count(); ++step) {
        const SerialCandidate candidate = Candidate(step);
        if (onStep) onStep(step, candidate);
        const QString settings = SettingsOf(candidate);
        const bool opened =
            step == firstStep ? line.Open(port, settings) : line.Reopen(port, settings);
        if (!opened) return std::nullopt;
        exchange.SetCause(TrafficCause::SearchStep(step + 1, Count(), settings));
        exchange.Send(Request());
        if (line.Vanished()) return std::nullopt;
        line.WaitForInput(replyWaitMs);
        exchange.Collect(true);
        if (exchange.Judge({kReplyBytes}) == ReplyVerdict::Accepted)
            return Found{ModuleParametersText::Decode(exchange.ReceivedText), candidate, step + 1};
    }
    return std::nullopt;
}
