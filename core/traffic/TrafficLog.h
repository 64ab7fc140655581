#pragma once
// The traffic log: every frame the work window in use writes and every reply it collects, with
// the verdict of the judge that decided on it. It watches the one exchange path (WorkWindow's
// write, collect and judge steps); no window knows of it. It keeps the last kCapacity rows, a
// summary since the last clear, and can record every row to a CSV file as it comes.
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/record/RotatingCsv.h"
#include "core/traffic/TrafficRow.h"

class TrafficRecorder;

struct TrafficSummary {
    int requests = 0;
    int accepted = 0;
    int rejected = 0;
    std::array<int, static_cast<int>(TrafficVerdict::Count)> byVerdict{};
    int staleRequests = 0;  // requests before which stale bytes were thrown away
    int responses = 0;      // replies with bytes, timed
    int minMs = 0;
    int maxMs = 0;
    int64_t totalMs = 0;
};

// When something happened: the time of day shown, and a steady clock for durations.
struct TrafficTime {
    int msOfDay = 0;
    int64_t steadyMs = 0;
};

// When a reply's bytes came, on the line's steady clock in microseconds (-1: not known).
struct ReplyTiming {
    int64_t firstByteUs = -1;  // the reply's first byte arrived; none when nothing came
    int64_t waitEndUs = -1;    // the wait for it ended and the reply was collected
};

class TrafficLog : public QObject {
    Q_OBJECT
  public:
    static constexpr int kCapacity = 10000;
    // The work windows' log: they share the process's port, one window in use at a time.
    static TrafficLog& Instance();
    // A log of its own, for traffic the program only hears (listen-only mode); or one that keeps
    // only the last `capacity` rows (a line overview's worker, whose rows nobody reads).
    TrafficLog();
    explicit TrafficLog(int capacity);
    ~TrafficLog() override;

    // A request has been written: `bytes` as given to the line, `written` of them taken, its last
    // byte gone from the driver at `endUs` (the line's clock). A request still awaiting its reply
    // is abandoned first: every request has one outcome.
    // `wire` is the request as it went on the network, where that differs.
    void NoteRequest(const Frame& bytes, int written, int staleBytes, const TrafficCause& cause,
                     int64_t endUs = -1, const TrafficWire& wire = {});
    // A reply has been collected at `collectedAt` (empty bytes: nothing arrived). `verdict` is the
    // judge's, none for a reply shown unjudged; `expected` the lengths the judge took. The response
    // time runs from the request's last byte to the reply's first, or to the end of the wait.
    // A reply's row shows when its first byte came, its request's time plus that response time
    // (never later than its collection); a reply of no bytes shows its collection.
    // Nothing taken because the gateway answered another transaction (`wire`) is that reason.
    void NoteReply(const Frame& bytes, TrafficTime collectedAt, std::optional<ReplyVerdict> verdict,
                   const std::vector<int>& expected = {}, const ReplyTiming& timing = {},
                   const TrafficWire& wire = {});
    // The same with the verdict given already: a listener judges what the program's judge cannot
    // know (a reply later than the listener's limit, noise in a reply's place).
    void NoteReply(const Frame& bytes, TrafficTime collectedAt, TrafficVerdict verdict,
                   const std::vector<int>& expected, const ReplyTiming& timing,
                   const TrafficWire& wire = {});
    // Bytes heard that belong to no exchange (noise):
    // a row of their own, judged `verdict`.
    void NoteStray(const Frame& bytes, TrafficTime heardAt, TrafficVerdict verdict);
    // The awaited reply will not be collected; `arrived` is what had come of it. Nothing when no
    // request awaits its reply.
    void NoteAbandoned(TrafficAbandon why, const Frame& arrived = {});
    // The last request has no outcome yet.
    bool Awaiting() const { return awaiting_; }
    TrafficTime Now() const { return clock_(); }

    // Rows oldest first.
    int Count() const { return count_; }
    const TrafficRow& Row(int index) const;
    const TrafficSummary& Summary() const { return summary_; }
    // Empties the rows and the summary; a recording goes on. A request awaiting its reply stays,
    // so that its reply keeps its cause and the counts hold together.
    void Clear();

    // The work window whose traffic this is (its title).
    void Follow(const QString& window);
    const QString& Followed() const { return followed_; }

    // Continuous recording. Start gives false with the reason when the file cannot be opened; a
    // later write failure stops the recording and is told once through RecordingFailed. Each
    // next file of a rotating recording is told through RecordingChanged(true) again.
    bool StartRecording(const QString& path, QString* error = nullptr,
                        const CsvRotation& rotation = CsvRotation::Never());
    void StopRecording();
    bool Recording() const;
    QString RecordingPath() const;

    // Tests make time stand still or step.
    void SetClock(std::function<TrafficTime()> clock);
    static TrafficTime SystemTime();

  signals:
    void RowAdded(const TrafficRow& row);
    void Cleared();
    void FollowedChanged(const QString& window);
    void RecordingChanged(bool recording);
    void RecordingFailed(const QString& message);

  private:
    void Add(TrafficRow row, bool record = true);
    // The response time of a reply, and the summary's account of it.
    int ResponseMs(bool gotBytes, TrafficTime collectedAt, const ReplyTiming& timing) const;
    // The time of day a reply's first byte came, `responseMs` after its request.
    int ArrivalMsOfDay(int responseMs, TrafficTime collectedAt) const;
    void CountOutcome(const TrafficRow& row);
    // The cause of the request a reply or outcome belongs to.
    QString CauseOfExchange(uint64_t exchange) const;

    int capacity_;
    std::vector<TrafficRow> ring_;
    int first_ = 0;
    int count_ = 0;
    TrafficSummary summary_;
    uint64_t exchange_ = 0;
    Frame lastRequest_;
    int lastRequestMs_ = 0;  // the time of day its row shows
    int64_t lastRequestSteady_ = 0;
    int64_t lastRequestEndUs_ = -1;
    bool awaiting_ = false;
    QString followed_;
    std::function<TrafficTime()> clock_;
    std::unique_ptr<TrafficRecorder> recorder_;
};
