#include "link/ParameterSearch.h"

#include "link/Exchange.h"
#include "link/SerialPort.h"

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
    Exchange exchange;
    for (int step = firstStep; step < Count(); ++step) {
        const SerialCandidate candidate = Candidate(step);
        if (onStep) onStep(step, candidate);
        const QString settings = SettingsOf(candidate);
        const bool opened = step == firstStep ? SerialPort::OpenPort(port, settings)
                                              : SerialPort::ReopenPort(port, settings);
        if (!opened) return std::nullopt;
        exchange.SetCause(TrafficCause::SearchStep(step + 1, Count(), settings));
        exchange.Send(Request());
        if (SerialPort::Vanished()) return std::nullopt;
        SerialPort::WaitForInput(replyWaitMs);
        exchange.Collect(true);
        if (exchange.Judge({kReplyBytes}) == ReplyVerdict::Accepted)
            return Found{ModuleParametersText::Decode(exchange.ReceivedText), candidate, step + 1};
    }
    return std::nullopt;
}
