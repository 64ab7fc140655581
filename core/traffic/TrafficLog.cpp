#include "core/traffic/TrafficLog.h"

#include <QElapsedTimer>
#include <ctime>
#include <algorithm>

#include "base/Switches.h"
#include "core/protocol/FrameDecoder.h"
#include "core/traffic/TrafficCsv.h"
#include "core/traffic/TrafficTexts.h"

namespace {
bool English() {
    return Switches().EnglishUi == 1;
}

TrafficRow::Crc CrcOf(const Frame& bytes) {
    if (bytes.size() < 3) return TrafficRow::CrcNone;
    const uint16_t crc = Crc16(bytes.data(), bytes.size() - 2);
    const bool good =
        bytes[bytes.size() - 2] == (crc & 0xFF) && bytes[bytes.size() - 1] == (crc >> 8);
    return good ? TrafficRow::CrcGood : TrafficRow::CrcBad;
}

QString LengthsText(const std::vector<int>& lengths) {
    QStringList texts;
    for (int bytes : lengths) texts << QString::number(bytes);
    return texts.join('/');
}
}  // namespace

TrafficVerdict VerdictOf(ReplyVerdict verdict) {
    switch (verdict) {
        case ReplyVerdict::Accepted:
            return TrafficVerdict::Accepted;
        case ReplyVerdict::NoReply:
            return TrafficVerdict::NoReply;
        case ReplyVerdict::TooShort:
            return TrafficVerdict::TooShort;
        case ReplyVerdict::TooLong:
            return TrafficVerdict::TooLong;
        case ReplyVerdict::WrongAddress:
            return TrafficVerdict::WrongAddress;
        case ReplyVerdict::WrongFunction:
            return TrafficVerdict::WrongFunction;
        case ReplyVerdict::Exception:
            return TrafficVerdict::Exception;
        case ReplyVerdict::BadCrc:
            return TrafficVerdict::BadCrc;
    }
    return TrafficVerdict::NotJudged;
}

TrafficLog& TrafficLog::Instance() {
    static TrafficLog log;
    return log;
}

TrafficLog::TrafficLog() : TrafficLog(kCapacity) {}

TrafficLog::TrafficLog(int capacity)
    : capacity_(std::clamp(capacity, 1, kCapacity)),
      ring_(capacity_),
      clock_(&TrafficLog::SystemTime) {}

TrafficLog::~TrafficLog() = default;

TrafficTime TrafficLog::SystemTime() {
    static QElapsedTimer steady = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    // localtime_r, unlike QTime::currentTime, does not look at the zone files at every call.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
#ifdef _WIN32
    localtime_s(&local, &now.tv_sec);
#else
    localtime_r(&now.tv_sec, &local);
#endif
    const int ms = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 +
                   static_cast<int>(now.tv_nsec / 1000000);
    return {ms, steady.elapsed()};
}

void TrafficLog::SetClock(std::function<TrafficTime()> clock) {
    clock_ = clock ? std::move(clock) : &TrafficLog::SystemTime;
}

void TrafficLog::NoteRequest(const Frame& bytes, int written, int staleBytes,
                             const TrafficCause& cause, int64_t endUs, const TrafficWire& wire) {
    if (awaiting_) NoteAbandoned(TrafficAbandon::NextRequest);
    const TrafficTime now = clock_();
    const bool english = English();
    TrafficRow row;
    row.exchange = ++exchange_;
    row.msOfDay = now.msOfDay;
    row.direction = TrafficRow::Sent;
    row.bytes = bytes;
    row.wire = wire.bytes;
    row.meaning = FrameDecoder::Request(bytes, english);
    row.crc = CrcOf(bytes);
    row.staleBytes = std::max(staleBytes, 0);
    row.unwritten = std::max(static_cast<int>(bytes.size()) - written, 0);
    row.cause = TrafficTexts::CauseText(cause, english);
    lastRequest_ = bytes;
    lastRequestMs_ = now.msOfDay;
    lastRequestSteady_ = now.steadyMs;
    lastRequestEndUs_ = endUs;
    awaiting_ = true;
    ++summary_.requests;
    if (row.staleBytes > 0) ++summary_.staleRequests;
    Add(std::move(row));
}

int TrafficLog::ResponseMs(bool gotBytes, TrafficTime collectedAt,
                           const ReplyTiming& timing) const {
    // The module's own time where the line noted it: from the request's last byte to the
    // reply's first, or to the end of the wait when nothing came.
    const int64_t endUs = gotBytes ? timing.firstByteUs : timing.waitEndUs;
    if (lastRequestEndUs_ >= 0 && endUs >= 0)
        return static_cast<int>(std::max<int64_t>(endUs - lastRequestEndUs_ + 500, 0) / 1000);
    return static_cast<int>(std::max<int64_t>(collectedAt.steadyMs - lastRequestSteady_, 0));
}

int TrafficLog::ArrivalMsOfDay(int responseMs, TrafficTime collectedAt) const {
    // Counted from the request's own row, so that the two rows differ by the response time
    // exactly; capped at the collection, as a request noted late (a listener's, noted once cut)
    // must not push its reply past the rows after it.
    constexpr int kMsPerDay = 24 * 60 * 60 * 1000;
    const int64_t collectedMs = std::max<int64_t>(collectedAt.steadyMs - lastRequestSteady_, 0);
    const int64_t sinceRequest = std::min<int64_t>(responseMs, collectedMs);
    return static_cast<int>((lastRequestMs_ + sinceRequest) % kMsPerDay);
}

QString TrafficLog::CauseOfExchange(uint64_t exchange) const {
    for (int i = count_ - 1; i >= 0; --i) {
        const TrafficRow& earlier = Row(i);
        if (earlier.exchange != exchange) break;
        if (earlier.direction == TrafficRow::Sent) return earlier.cause;
    }
    return QString();
}

void TrafficLog::CountOutcome(const TrafficRow& row) {
    awaiting_ = false;
    if (row.verdict == TrafficVerdict::Accepted) ++summary_.accepted;
    if (row.Rejected()) ++summary_.rejected;
    ++summary_.byVerdict[static_cast<int>(row.verdict)];
    if (!row.bytes.empty() && row.verdict != TrafficVerdict::Abandoned) {
        summary_.minMs =
            summary_.responses == 0 ? row.responseMs : std::min(summary_.minMs, row.responseMs);
        summary_.maxMs = std::max(summary_.maxMs, row.responseMs);
        summary_.totalMs += row.responseMs;
        ++summary_.responses;
    }
}

void TrafficLog::NoteReply(const Frame& bytes, TrafficTime collectedAt,
                           std::optional<ReplyVerdict> verdict, const std::vector<int>& expected,
                           const ReplyTiming& timing, const TrafficWire& wire) {
    TrafficVerdict judged = verdict ? VerdictOf(*verdict) : TrafficVerdict::NotJudged;
    if (wire.wrongTransaction && bytes.empty() && verdict)
        judged = TrafficVerdict::WrongTransaction;
    NoteReply(bytes, collectedAt, judged, expected, timing, wire);
}

void TrafficLog::NoteReply(const Frame& bytes, TrafficTime collectedAt, TrafficVerdict verdict,
                           const std::vector<int>& expected, const ReplyTiming& timing,
                           const TrafficWire& wire) {
    const bool english = English();
    TrafficRow row;
    row.exchange = exchange_;
    row.direction = TrafficRow::Received;
    row.bytes = bytes;
    row.meaning = bytes.empty() ? QString() : FrameDecoder::Reply(bytes, lastRequest_, english);
    row.responseMs = ResponseMs(!bytes.empty(), collectedAt, timing);
    // The read comes at the end of the window's wait, often long after the reply did.
    const bool arrivalKnown =
        awaiting_ && !bytes.empty() && timing.firstByteUs >= 0 && lastRequestEndUs_ >= 0;
    row.msOfDay = arrivalKnown ? ArrivalMsOfDay(row.responseMs, collectedAt) : collectedAt.msOfDay;
    row.crc = CrcOf(bytes);
    row.verdict = verdict;
    row.wire = wire.bytes;
    row.expected = LengthsText(expected);
    // The reply belongs to the request's cause.
    row.cause = CauseOfExchange(row.exchange);
    CountOutcome(row);
    Add(std::move(row));
}

void TrafficLog::NoteStray(const Frame& bytes, TrafficTime heardAt, TrafficVerdict verdict) {
    const bool english = English();
    TrafficRow row;
    row.exchange = ++exchange_;
    row.msOfDay = heardAt.msOfDay;
    row.direction = TrafficRow::Received;
    row.bytes = bytes;
    row.meaning = FrameDecoder::Reply(bytes, Frame{}, english);
    row.crc = CrcOf(bytes);
    row.verdict = verdict;
    ++summary_.rejected;
    ++summary_.byVerdict[static_cast<int>(verdict)];
    Add(std::move(row));
}

void TrafficLog::NoteAbandoned(TrafficAbandon why, const Frame& arrived) {
    if (!awaiting_) return;
    const bool english = English();
    TrafficRow row;
    row.exchange = exchange_;
    row.msOfDay = clock_().msOfDay;
    row.direction = TrafficRow::Received;
    row.bytes = arrived;
    row.meaning = arrived.empty() ? QString() : FrameDecoder::Reply(arrived, lastRequest_, english);
    row.crc = CrcOf(arrived);
    row.verdict = TrafficVerdict::Abandoned;
    row.abandon = why;
    row.cause = CauseOfExchange(row.exchange);
    CountOutcome(row);
    Add(std::move(row));
}

void TrafficLog::Add(TrafficRow row, bool record) {
    const int at = (first_ + count_) % capacity_;
    if (count_ == capacity_)
        first_ = (first_ + 1) % capacity_;
    else
        ++count_;
    ring_[at] = std::move(row);
    const TrafficRow& added = ring_[at];
    if (recorder_ && record) {
        QString error;
        const QString path = recorder_->Path();
        if (!recorder_->Write(added, English(), &error)) {
            recorder_.reset();
            emit RecordingChanged(false);
            emit RecordingFailed(error);
        } else if (recorder_->Path() != path) {
            emit RecordingChanged(true);
        }
    }
    emit RowAdded(added);
}

const TrafficRow& TrafficLog::Row(int index) const {
    return ring_[(first_ + index) % capacity_];
}

void TrafficLog::Clear() {
    // A request in flight stays: its reply will come with its cause, and never count alone.
    std::optional<TrafficRow> inFlight;
    if (awaiting_ && count_ > 0 && Row(count_ - 1).direction == TrafficRow::Sent)
        inFlight = Row(count_ - 1);
    for (int i = 0; i < count_; ++i) ring_[(first_ + i) % capacity_] = TrafficRow{};
    first_ = 0;
    count_ = 0;
    summary_ = TrafficSummary{};
    emit Cleared();
    if (!inFlight) {
        awaiting_ = false;
        return;
    }
    ++summary_.requests;
    if (inFlight->staleBytes > 0) ++summary_.staleRequests;
    Add(std::move(*inFlight), false);  // recorded when it was sent
}

void TrafficLog::Follow(const QString& window) {
    if (window == followed_) return;
    followed_ = window;
    emit FollowedChanged(window);
}

bool TrafficLog::StartRecording(const QString& path, QString* error, const CsvRotation& rotation) {
    auto recorder = std::make_unique<TrafficRecorder>();
    if (!recorder->Open(path, English(), error, rotation)) return false;
    recorder_ = std::move(recorder);
    emit RecordingChanged(true);
    return true;
}

void TrafficLog::StopRecording() {
    if (!recorder_) return;
    recorder_.reset();
    emit RecordingChanged(false);
}

bool TrafficLog::Recording() const {
    return recorder_ != nullptr;
}

QString TrafficLog::RecordingPath() const {
    return recorder_ ? recorder_->Path() : QString();
}
