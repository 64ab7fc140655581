#include "link/Exchange.h"

#include <algorithm>

#include "link/SerialPort.h"

void Exchange::SetCause(TrafficCause::Kind kind) {
    cause_ = TrafficCause();
    cause_.kind = kind;
}

int Exchange::Prepare(const Frame& body) {
    const Frame frame = AppendCrc16(body);
    auto& buffer = SerialPort::PortBuffer();
    std::copy(frame.begin(), frame.end(), buffer.begin());
    SentText = SentTextOf(frame);
    return static_cast<int>(frame.size());
}

void Exchange::WriteBuffer(int count) {
    const bool open = SerialPort::IsOpen();
    const int written = SerialPort::WritePort(count);
    const auto& buffer = SerialPort::PortBuffer();
    const int framed = std::clamp(count, 0, static_cast<int>(buffer.size()));
    const SerialPort::WireBytes wire = SerialPort::LastWire();
    wrongTransactionsBefore_ = wire.wrongTransactions;
    TrafficLog::Instance().NoteRequest(Frame(buffer.begin(), buffer.begin() + framed), written,
                                       open ? SerialPort::DiscardedBeforeWrite() : 0, cause_,
                                       open ? SerialPort::LastRequestEndUs() : -1,
                                       {Frame(wire.sent.begin(), wire.sent.end())});
    cause_ = {};
}

void Exchange::Collect(bool arrivedOnly) {
    // The wait ends here, whatever the read then waits for itself.
    const int64_t waitEnd = SerialPort::SteadyMicros();
    ReceivedText.clear();
    if (!arrivedOnly || SerialPort::WaitForInput(0))
        ReceivedText = FormatReceivedHex(SerialPort::ReadPortHex());
    collectedAt_ = TrafficLog::Instance().Now();
    timing_ = {ReceivedText.isEmpty() ? -1 : SerialPort::LastReadTiming().firstByteUs, waitEnd};
    SerialPort::FlushPort();
}

void Exchange::CollectMore() {
    if (!SerialPort::WaitForInput(0)) return;
    const QString more = FormatReceivedHex(SerialPort::ReadPortHex());
    if (ReceivedText.isEmpty()) timing_.firstByteUs = SerialPort::LastReadTiming().firstByteUs;
    ReceivedText += more;
    collectedAt_ = TrafficLog::Instance().Now();
    SerialPort::FlushPort();
}

ReplyVerdict Exchange::Judge(const std::vector<int>& expectedBytes) {
    return JudgeAs(ReceivedText, expectedBytes);
}

ReplyVerdict Exchange::JudgeAs(const QString& own, const std::vector<int>& expectedBytes) {
    // One judgement decides and is logged: the monitor's reason is the reason.
    const ReplyVerdict verdict = JudgeReply(own, SentText, expectedBytes);
    TrafficLog::Instance().NoteReply(BytesOfText(ReceivedText), collectedAt_, verdict,
                                     expectedBytes, timing_, ReplyWire());
    return verdict;
}

void Exchange::NoteUnjudged() {
    TrafficLog::Instance().NoteReply(BytesOfText(ReceivedText), collectedAt_, std::nullopt, {},
                                     timing_, ReplyWire());
}

TrafficWire Exchange::ReplyWire() const {
    const SerialPort::WireBytes wire = SerialPort::LastWire();
    return {Frame(wire.received.begin(), wire.received.end()),
            wire.wrongTransactions > wrongTransactionsBefore_};
}

void Exchange::Abandon(TrafficAbandon why) {
    TrafficLog& log = TrafficLog::Instance();
    if (!log.Awaiting()) return;
    // What has come of the reply is shown with it, rather than lost with the port's buffers.
    Frame arrived;
    if (SerialPort::IsOpen() && SerialPort::WaitForInput(0))
        arrived = BytesOfText(FormatReceivedHex(SerialPort::ReadPortHex()));
    log.NoteAbandoned(why, arrived);
}
