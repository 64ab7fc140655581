#include "core/exchange/Exchange.h"

#include <algorithm>

#include "core/line/SerialPort.h"

Exchange::Exchange() : Exchange(SerialPort::Port(), TrafficLog::Instance()) {}

Exchange::Exchange(Line& line, TrafficLog& log) : line_(&line), log_(&log) {}

void Exchange::SetCause(TrafficCause::Kind kind) {
    cause_ = TrafficCause();
    cause_.kind = kind;
}

int Exchange::Prepare(const Frame& body) {
    const Frame frame = AppendCrc16(body);
    auto& buffer = line_->Buffer();
    std::copy(frame.begin(), frame.end(), buffer.begin());
    SentText = SentTextOf(frame);
    return static_cast<int>(frame.size());
}

void Exchange::WriteBuffer(int count) {
    const bool open = line_->IsOpen();
    const int written = line_->Write(count);
    const auto& buffer = line_->Buffer();
    const int framed = std::clamp(count, 0, static_cast<int>(buffer.size()));
    const LineWireBytes wire = line_->LastWire();
    wrongTransactionsBefore_ = wire.wrongTransactions;
    log_->NoteRequest(Frame(buffer.begin(), buffer.begin() + framed), written,
                      open ? line_->DiscardedBeforeWrite() : 0, cause_,
                      open ? line_->LastRequestEndUs() : -1,
                      {Frame(wire.sent.begin(), wire.sent.end())});
    cause_ = {};
}

void Exchange::Collect(bool arrivedOnly, int frameBytes) {
    // The wait ends here, whatever the read then waits for itself.
    const int64_t waitEnd = SteadyMicros();
    ReceivedText.clear();
    if (!arrivedOnly || line_->WaitForInput(0))
        ReceivedText = FormatReceivedHex(line_->ReadHex(frameBytes));
    collectedAt_ = log_->Now();
    timing_ = {ReceivedText.isEmpty() ? -1 : line_->LastReadTiming().firstByteUs, waitEnd};
    line_->Flush();
}

void Exchange::CollectMore() {
    if (!line_->WaitForInput(0)) return;
    const QString more = FormatReceivedHex(line_->ReadHex());
    if (ReceivedText.isEmpty()) timing_.firstByteUs = line_->LastReadTiming().firstByteUs;
    ReceivedText += more;
    collectedAt_ = log_->Now();
    line_->Flush();
}

ReplyVerdict Exchange::Judge(const std::vector<int>& expectedBytes) {
    return JudgeAs(ReceivedText, expectedBytes);
}

ReplyVerdict Exchange::JudgeAs(const QString& own, const std::vector<int>& expectedBytes) {
    // One judgement decides and is logged: the monitor's reason is the reason.
    const ReplyVerdict verdict = JudgeReply(own, SentText, expectedBytes);
    log_->NoteReply(BytesOfText(ReceivedText), collectedAt_, verdict, expectedBytes, timing_,
                    ReplyWire());
    return verdict;
}

Asked Exchange::Ask(TrafficCause::Kind cause, const Frame& body,
                    const std::vector<int>& expectedBytes, int waitMs, ReplyVerdict* verdict) {
    SetCause(cause);
    Send(body);
    if (line_->Vanished()) return Asked::LineFailed;
    line_->WaitForInput(waitMs);
    // Nothing asked of a module is longer than the longest length it may answer with.
    Collect(true, expectedBytes.empty()
                      ? 0
                      : *std::max_element(expectedBytes.begin(), expectedBytes.end()));
    if (line_->Vanished()) return Asked::LineFailed;
    const ReplyVerdict judged = Judge(expectedBytes);
    if (verdict) *verdict = judged;
    if (judged == ReplyVerdict::Accepted) return Asked::Answered;
    return ReceivedText.isEmpty() ? Asked::NoReply : Asked::WrongReply;
}

void Exchange::NoteUnjudged() {
    log_->NoteReply(BytesOfText(ReceivedText), collectedAt_, std::nullopt, {}, timing_,
                    ReplyWire());
}

TrafficWire Exchange::ReplyWire() const {
    const LineWireBytes wire = line_->LastWire();
    return {Frame(wire.received.begin(), wire.received.end()),
            wire.wrongTransactions > wrongTransactionsBefore_};
}

void Exchange::Abandon(TrafficAbandon why) {
    TrafficLog& log = *log_;
    if (!log.Awaiting()) return;
    // What has come of the reply is shown with it, rather than lost with the line's buffers.
    Frame arrived;
    if (line_->IsOpen() && line_->WaitForInput(0))
        arrived = BytesOfText(FormatReceivedHex(line_->ReadHex()));
    log.NoteAbandoned(why, arrived);
}
