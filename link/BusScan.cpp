#include "link/BusScan.h"

#include "link/Exchange.h"
#include "link/ParameterSearch.h"
#include "link/ScanTexts.h"
#include "link/SerialPort.h"

namespace BusScan {
namespace {
constexpr int kFirstRegister = 100;

QString Problem(ReplyVerdict verdict, const Frame& bytes) {
    using namespace ScanTexts;
    switch (verdict) {
        case ReplyVerdict::Exception:
            return Text(ProblemException).arg(bytes.size() > 2 ? bytes[2] : 0, 2, 16, QChar('0'));
        case ReplyVerdict::BadCrc:
            return Text(ProblemBadCrc);
        case ReplyVerdict::TooShort:
        case ReplyVerdict::TooLong:
            return Text(ProblemLength);
        default:
            return Text(ProblemHeader);
    }
}
}  // namespace

Frame ProbeRequest(const ScanProbe& probe) {
    return ReadRequest(static_cast<uint8_t>(probe.address), 0x03, kFirstRegister, 3);
}

std::optional<ScanRow> RowOf(const ScanProbe& probe, ReplyVerdict verdict,
                             const QString& receivedText, int responseMs) {
    if (receivedText.isEmpty() || probe.address == 0) return std::nullopt;
    ScanRow row;
    row.address = probe.address;
    row.heardAt = probe.settings;
    row.readable = verdict == ReplyVerdict::Accepted;
    row.responseMs = std::max(responseMs, 0);
    if (row.readable)
        row.registers = ModuleParametersText::Decode(receivedText);
    else
        row.problem = Problem(verdict, BytesOfText(receivedText));
    return row;
}

bool Run(const QString& port, ScanPlan& plan, ScanRows& rows,
         const std::function<void(const ScanProbe&)>& onProbe, const std::function<bool()>& stop) {
    Exchange exchange;
    std::optional<SerialCandidate> openAt;
    while (!plan.Done()) {
        if (stop && stop()) return true;
        const ScanProbe probe = plan.Current();
        if (onProbe) onProbe(probe);
        if (!openAt || !(*openAt == probe.settings) || !SerialPort::IsOpen()) {
            const QString settings = ParameterSearch::SettingsOf(probe.settings);
            const bool opened = openAt ? SerialPort::ReopenPort(port, settings)
                                       : SerialPort::OpenPort(port, settings);
            if (!opened) return false;
            openAt = probe.settings;
        }
        exchange.SetCause(TrafficCause::At(TrafficCause::Scan, probe.address,
                                           ParameterSearch::SettingsOf(probe.settings)));
        exchange.Send(ProbeRequest(probe));
        if (SerialPort::Vanished()) return false;
        SerialPort::WaitForInput(probe.replyWaitMs);
        exchange.Collect(true);
        if (SerialPort::Vanished()) return false;
        const ReplyVerdict verdict = exchange.Judge({kReplyBytes});
        const SerialPort::ReadTiming timing = SerialPort::LastReadTiming();
        const int responseMs =
            timing.firstByteUs < 0
                ? 0
                : static_cast<int>((timing.firstByteUs - SerialPort::LastRequestEndUs()) / 1000);
        if (const auto row = RowOf(probe, verdict, exchange.ReceivedText, responseMs))
            rows.Add(*row);
        plan.Advance(!exchange.ReceivedText.isEmpty());
    }
    return true;
}
}  // namespace BusScan
