#include "core/scan/BusScan.h"

#include "core/exchange/Exchange.h"
#include <array>

#include "core/scan/ParameterSearch.h"
#include "core/scan/ScanReplies.h"
#include "core/scan/ScanTexts.h"
#include "core/line/SerialPort.h"

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

ProbeReply SortReply(const ScanProbe& probe, const ScanPlan& plan, const QString& receivedText,
                     const QString& sentText, int ownResponseMs,
                     const std::function<int(int address)>& lateResponseMs, bool timeLeft) {
    ProbeReply sorted;
    sorted.own = receivedText;
    if (probe.address != 0 && !receivedText.isEmpty()) {
        const ScanReplySplit split = ScanReplies::Split(
            BytesOfText(receivedText), [&plan](int address) { return plan.ProbedBefore(address); });
        if (!split.late.empty()) {
            sorted.own = split.own.empty() ? QString() : SentTextOf(split.own);
            if (sorted.own.isEmpty() && timeLeft) {
                sorted.waitOn = true;
                return sorted;
            }
            for (const Frame& late : split.late)
                sorted.rows.push_back(
                    ScanReplies::LateRow(late, probe.settings, lateResponseMs(late[0])));
        }
    }
    const ReplyVerdict verdict = JudgeReply(sorted.own, sentText, kReplyBytes);
    if (const auto row = RowOf(probe, verdict, sorted.own, ownResponseMs))
        sorted.rows.push_back(*row);
    return sorted;
}

bool Run(const QString& port, ScanPlan& plan, ScanRows& rows,
         const std::function<void(const ScanProbe&)>& onProbe, const std::function<bool()>& stop) {
    return Run(SerialPort::Port(), port, plan, rows, onProbe, stop);
}

bool Run(Line& line, const QString& port, ScanPlan& plan, ScanRows& rows,
         const std::function<void(const ScanProbe&)>& onProbe, const std::function<bool()>& stop) {
    Exchange exchange(line, TrafficLog::Instance());
    std::optional<SerialCandidate> openAt;
    std::array<int64_t, 256> sentAtUs{};  // each address's request, at the current settings
    while (!plan.Done()) {
        if (stop && stop()) return true;
        const ScanProbe probe = plan.Current();
        if (onProbe) onProbe(probe);
        if (!openAt || !(*openAt == probe.settings) || !line.IsOpen()) {
            const QString settings = ParameterSearch::SettingsOf(probe.settings);
            const bool opened = openAt ? line.Reopen(port, settings) : line.Open(port, settings);
            if (!opened) return false;
            openAt = probe.settings;
        }
        exchange.SetCause(TrafficCause::At(TrafficCause::Scan, probe.address,
                                           ParameterSearch::SettingsOf(probe.settings)));
        exchange.Send(ProbeRequest(probe));
        if (line.Vanished()) return false;
        const int64_t sentUs = line.LastRequestEndUs();
        sentAtUs[probe.address & 0xFF] = sentUs;
        const int64_t deadlineUs = SteadyMicros() + probe.replyWaitMs * int64_t{1000};
        const auto waitLeftMs = [&] {
            return static_cast<int>(std::max<int64_t>(deadlineUs - SteadyMicros(), 0) / 1000);
        };
        line.WaitForInput(waitLeftMs());
        exchange.Collect(true);
        // What came first is a late answer when anything is: its time is the first read's.
        const int64_t firstReadUs = line.LastReadTiming().firstByteUs;
        const auto between = [](int64_t fromUs, int64_t toUs) {
            return toUs < 0 ? 0 : static_cast<int>((toUs - fromUs) / 1000);
        };
        ProbeReply sorted;
        for (;;) {
            if (line.Vanished()) return false;
            sorted = SortReply(
                probe, plan, exchange.ReceivedText, exchange.SentText,
                between(sentUs, line.LastReadTiming().firstByteUs),
                [&](int address) { return between(sentAtUs[address & 0xFF], firstReadUs); },
                waitLeftMs() > 0);
            if (!sorted.waitOn) break;
            line.WaitForInput(waitLeftMs());
            exchange.CollectMore();
        }
        exchange.JudgeAs(sorted.own, {kReplyBytes});
        for (const ScanRow& row : sorted.rows) rows.Add(row);
        plan.Advance(!sorted.own.isEmpty());
    }
    return true;
}
}  // namespace BusScan
