#include "core/listen/BusListener.h"

#include <algorithm>

#include "core/protocol/FrameLengths.h"

namespace {
bool CrcGood(const Frame& frame) {
    if (frame.size() < 4) return false;
    const uint16_t crc = Crc16(frame.data(), frame.size() - 2);
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

// A well-formed frame of a request's shape.
bool IsRequest(const Frame& frame) {
    if (frame.size() < 4 || (frame[1] & 0x80)) return false;  // an exception is a reply
    const int length = FrameLengths::Request(frame);
    return CrcGood(frame) &&
           (length == static_cast<int>(frame.size()) || length == FrameLengths::kUnknown);
}

// Same address and function as the request (an exception reply's function included).
bool Answers(const Frame& frame, const Frame& request) {
    return frame.size() >= 2 && request.size() >= 2 && frame[0] == request[0] &&
           (frame[1] & 0x7F) == (request[1] & 0x7F);
}

// A frame the request's reply could be: its address, function and a length it may have.
bool MayAnswer(const Frame& frame, const Frame& request) {
    if (!Answers(frame, request)) return false;
    const std::vector<int> lengths = FrameLengths::ReplyTo(request);
    return lengths.empty() || std::find(lengths.begin(), lengths.end(),
                                        static_cast<int>(frame.size())) != lengths.end();
}

int Milliseconds(int64_t us) {
    return static_cast<int>(std::max<int64_t>(us + 500, 0) / 1000);
}
}  // namespace

BusListener::BusListener(TrafficLog& log, ModuleStats& stats, double characterUs, double tolerance)
    : log_(log), stats_(stats), cutter_(characterUs, tolerance) {}

TrafficVerdict BusListener::Judge(const Frame& reply, const Frame& request, int responseMs,
                                  int lateMs) {
    std::vector<int> expected = FrameLengths::ReplyTo(request);
    if (expected.empty()) expected = {static_cast<int>(reply.size())};
    const TrafficVerdict verdict =
        VerdictOf(JudgeReply(SentTextOf(reply), SentTextOf(request), expected));
    if (verdict == TrafficVerdict::BadCrc) {
        if (!Answers(reply, request)) return TrafficVerdict::Noise;
        // The whole frame is here (a silence ended it): its length says what went wrong.
        const int need = FrameLengths::Reply(reply);
        if (need > 0 && static_cast<int>(reply.size()) < need) return TrafficVerdict::TooShort;
        if (need > 0 && static_cast<int>(reply.size()) > need) return TrafficVerdict::TooLong;
        return verdict;
    }
    if (verdict == TrafficVerdict::Accepted && responseMs > lateMs) return TrafficVerdict::Late;
    return verdict;
}

void BusListener::Feed(const uint8_t* bytes, size_t count, int64_t atUs) {
    for (const CutFrame& frame : cutter_.Feed(bytes, count, atUs)) Heard(frame);
}

void BusListener::Idle(int64_t nowUs) {
    for (const CutFrame& frame : cutter_.Idle(nowUs)) Heard(frame);
    const int64_t waitEnd = requestEndUs_ + int64_t{limits_.noReplyMs} * 1000;
    if (awaiting_ && !cutter_.Pending() && nowUs >= waitEnd) GiveUp(waitEnd);
}

void BusListener::GiveUp(int64_t waitEndUs) {
    awaiting_ = false;
    givenUp_ = true;
    const TrafficTime now = log_.Now();
    // This family answers a broadcast, other devices on the bus never do: silence after one is
    // not a module failing.
    const bool broadcast = request_[0] == 0;
    log_.NoteReply({}, now, broadcast ? TrafficVerdict::Unanswered : TrafficVerdict::NoReply,
                   FrameLengths::ReplyTo(request_), ReplyTiming{-1, waitEndUs});
    if (!broadcast) stats_.NoteOutcome(request_[0], TrafficVerdict::NoReply, -1, now.msOfDay);
}

void BusListener::Heard(const CutFrame& frame) {
    ++frames_;
    const int64_t waitEnd = requestEndUs_ + int64_t{limits_.noReplyMs} * 1000;
    if (awaiting_ && frame.firstUs > waitEnd) GiveUp(waitEnd);
    if (awaiting_) {
        // Another request in the reply's place: the awaited one had none. One to the same module
        // counts too, where no reply could be that long, so that one lost frame does not set
        // every later request in its reply's place.
        if (IsRequest(frame.bytes) && !MayAnswer(frame.bytes, request_))
            GiveUp(frame.firstUs);
        else
            return HeardReply(frame);
    }
    const TrafficTime now = log_.Now();
    if (IsRequest(frame.bytes)) {
        TrafficCause cause;
        cause.kind = TrafficCause::Listened;
        log_.NoteRequest(frame.bytes, static_cast<int>(frame.bytes.size()), 0, cause, frame.lastUs);
        stats_.NoteRequest(frame.bytes[0], now.msOfDay);
        awaiting_ = true;
        givenUp_ = false;
        request_ = frame.bytes;
        lastRequest_ = frame.bytes;
        requestEndUs_ = frame.lastUs;
        return;
    }
    // A good reply to the request given up on: it came, too late, and how late is what the
    // technician needs, so it is timed and kept with its request.
    if (givenUp_ && CrcGood(frame.bytes) && Answers(frame.bytes, lastRequest_)) {
        givenUp_ = false;
        log_.NoteReply(frame.bytes, now, TrafficVerdict::Late, FrameLengths::ReplyTo(request_),
                       ReplyTiming{frame.firstUs, frame.lastUs});
        stats_.NoteOutcome(frame.bytes[0], TrafficVerdict::Late,
                           Milliseconds(frame.firstUs - requestEndUs_), now.msOfDay);
        return;
    }
    ++noise_;
    log_.NoteStray(frame.bytes, now, TrafficVerdict::Noise);
}

void BusListener::HeardReply(const CutFrame& frame) {
    awaiting_ = false;
    const TrafficTime now = log_.Now();
    const int responseMs = Milliseconds(frame.firstUs - requestEndUs_);
    const TrafficVerdict verdict = Judge(frame.bytes, request_, responseMs, limits_.lateMs);
    if (verdict == TrafficVerdict::Noise) ++noise_;
    log_.NoteReply(frame.bytes, now, verdict, FrameLengths::ReplyTo(request_),
                   ReplyTiming{frame.firstUs, frame.lastUs});
    stats_.NoteOutcome(request_[0], verdict, responseMs, now.msOfDay);
    if (verdict == TrafficVerdict::Accepted || verdict == TrafficVerdict::Late)
        LearnModel(frame.bytes);
}

void BusListener::LearnModel(const Frame& reply) {
    if (request_.size() < 8 || request_[1] != 0x03) return;
    const int start = (request_[2] << 8) | request_[3];
    const int count = (request_[4] << 8) | request_[5];
    const auto registerAt = [&](int number) {
        const size_t at = 3 + 2 * static_cast<size_t>(number - start);
        return (reply[at] << 8) | reply[at + 1];
    };
    if (start > 102 || start + count <= 102) return;
    int address = request_[0];
    if (address == 0) {
        if (start > 100) return;
        address = registerAt(100);
    }
    stats_.NoteModelCode(address, registerAt(102));
}
