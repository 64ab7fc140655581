#include "core/line/Line.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <vector>

#include "base/Platform.h"
#include "base/TextTable.h"
#include "core/line/HeldLines.h"
#include "core/line/NetLine.h"
#include "core/line/PortNames.h"
#include "core/line/SerialBackend.h"

namespace {
// Read time-outs: 1 ms per requested byte plus 1 ms in all, 20 ms of silence after a byte.
constexpr int kReadCount = 255;
constexpr int kReadTotalMs = kReadCount * 1 + 1;
constexpr int kReadIntervalMs = 20;
// Write time-out: 1 ms per byte plus 10 ms.
constexpr int kWriteConstantMs = 10;
constexpr size_t kArrivedLimit = 4096;  // as much as a driver keeps; the rest waits there

int RemainingMs(const QElapsedTimer& clock, int limitMs) {
    return static_cast<int>(qMax<qint64>(0, limitMs - clock.elapsed()));
}

// Bytes read as they arrived, before anyone asked for them, with the time they came.
struct Arrived {
    std::vector<uint8_t> bytes;
    int64_t firstUs = -1;
    int64_t lastUs = -1;
};

// What the event loop watches to take a line's bytes as they come: its descriptor or socket, or
// a timer looking at the line where it has none.
class ArrivalWatch : public QObject {
  public:
    ArrivalWatch(const LineWatchable& watchable, QObject* parent, std::function<void()> ready)
        : QObject(parent) {
        if (watchable.socket >= 0) {
            notifier_ = new QSocketNotifier(static_cast<qintptr>(watchable.socket),
                                            QSocketNotifier::Read, this);
            QObject::connect(notifier_, &QSocketNotifier::activated, this, std::move(ready));
            return;
        }
        timer_ = new QTimer(this);
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(watchable.pollMs);
        QObject::connect(timer_, &QTimer::timeout, this, std::move(ready));
        timer_->start();
    }
    void SetEnabled(bool enabled) {
        if (notifier_) notifier_->setEnabled(enabled);
        if (timer_ && enabled && !timer_->isActive()) timer_->start();
        if (timer_ && !enabled) timer_->stop();
    }

  private:
    QSocketNotifier* notifier_ = nullptr;
    QTimer* timer_ = nullptr;
};
}  // namespace

int64_t SteadyMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Line::State {
    std::unique_ptr<LineBackend> line;
    NetLine* net = nullptr;  // the line, when it is a network line
    // A network line closed for a re-open: the connection is kept until the event loop next
    // turns, so that the re-open the windows do after every rejected reply does not reconnect
    // each time (a gateway may well refuse a new client while it closes the old one).
    std::unique_ptr<NetLine> parked;
    QString heldKey;              // what this line holds of the process's devices and addresses
    SerialDeviceIdentity chosen;  // the device of the user's open; re-opens must find it again
    bool vanished = false;        // the open device has hung up or refused a write
    int discarded = 0;            // stale bytes thrown away before the last write
    bool listening = false;       // opened to watch a bus: not a byte may leave
    LineArrivalSink sink;         // while listening, where arrivals go as they come
    std::array<uint8_t, 256> buffer{};
    Arrived arrived;
    bool hungUp = false;          // the line said so while bytes were being noted
    int64_t lastActivityUs = -1;  // the last byte seen on the line, either way
    LineReadTiming lastRead;
    int64_t requestEndUs = -1;
    // In the main thread owned by the application, so that it goes with it rather than after it
    // when the process's port ends with the program.
    QPointer<ArrivalWatch> notifier;
    // Cancels a pending drop of the parked line when this line goes first.
    std::unique_ptr<QObject> timers = std::make_unique<QObject>();

    void StopWatching() {
        delete notifier.data();
        notifier.clear();
    }

    void Release() {
        if (!heldKey.isEmpty()) HeldLines::Release(heldKey, this);
        heldKey.clear();
    }

    void CloseLine() {
        StopWatching();
        if (net && !hungUp && !vanished && QCoreApplication::instance()) {
            parked.reset(static_cast<NetLine*>(line.release()));
            QTimer::singleShot(0, timers.get(), [this] { parked.reset(); });
        }
        net = nullptr;
        line.reset();
        arrived = {};
        hungUp = false;
    }

    // The device is gone (adapter pulled, far end closed): said once, until the next open.
    void MarkVanished() {
        if (vanished) return;
        vanished = true;
        ShowMessage(Tt(TextKey::MsgPortUnavailable));
    }

    // Reads what the driver holds into `arrived`, stamped now; called when the line is
    // readable. False once the line has hung up.
    bool NoteArrivals() {
        if (!line) return false;
        uint8_t chunk[256];
        bool gotAny = false;
        for (;;) {
            const size_t room = kArrivedLimit - arrived.bytes.size();
            if (room == 0) {
                // The rest waits in the driver until a read makes room: no busy loop meanwhile.
                if (notifier) notifier->SetEnabled(false);
                return true;
            }
            const LineIo read = line->ReadSome(chunk, std::min(room, sizeof chunk));
            const long long got = read.Moved() ? read.count : 0;
            if (got > 0 && listening && sink) {
                const int64_t now = SteadyMicros();
                lastActivityUs = now;
                sink(chunk, static_cast<size_t>(got), now);
                // A short read took all there was: the notifier says when more comes, and a busy
                // bus is not asked once more per frame for nothing.
                if (static_cast<size_t>(got) < std::min(room, sizeof chunk)) return true;
                gotAny = true;
                continue;
            }
            if (got > 0) {
                const int64_t now = SteadyMicros();
                if (arrived.bytes.empty()) arrived.firstUs = now;
                arrived.lastUs = now;
                lastActivityUs = now;
                arrived.bytes.insert(arrived.bytes.end(), chunk, chunk + got);
                gotAny = true;
                continue;
            }
            if (read.kind == LineIo::Kind::Again) return true;
            // A raw terminal reads 0 once it is empty; readable yet nothing at all to read, or
            // an error, is a line that has hung up.
            return read.kind == LineIo::Kind::Empty && gotAny;
        }
    }

    // While the event loop runs, bytes are taken as they come, so their time is the module's.
    void WatchArrivals() {
        StopWatching();
        QCoreApplication* app = QCoreApplication::instance();
        if (!line || !app) return;
        const bool mainThread = QThread::currentThread() == app->thread();
        notifier = new ArrivalWatch(line->Watchable(), mainThread ? app : nullptr, [this] {
            if (NoteArrivals()) return;
            // Told when the window next reads, as before: a notifier must not raise a message.
            hungUp = true;
            notifier->SetEnabled(false);
        });
    }

    // Takes arrivals again once a read or a discard has made room.
    void ResumeWatching() {
        if (notifier && !hungUp) notifier->SetEnabled(true);
    }

    // Whatever arrived since the last reply was judged belongs to no request of ours: a late
    // reply kept would be shown as the answer to the next request.
    int DiscardInput() {
        int count = static_cast<int>(arrived.bytes.size());
        arrived = {};
        std::array<uint8_t, 256> scratch;
        for (;;) {
            const LineIo read = line->ReadSome(scratch.data(), scratch.size());
            if (!read.Moved()) break;
            count += static_cast<int>(read.count);
            lastActivityUs = SteadyMicros();
        }
        line->DiscardInput();
        ResumeWatching();
        return count;
    }

    int64_t SilenceMicros() const {
        return line ? static_cast<int64_t>(3.5 * line->CharacterMicros() + 0.5) : 0;
    }

    // Modbus RTU frames are told apart by silence: never start a request sooner after the last
    // byte.
    void KeepSilence() {
        if (lastActivityUs < 0) return;
        const int64_t left = lastActivityUs + SilenceMicros() - SteadyMicros();
        if (left > 0) QThread::usleep(static_cast<unsigned long>(left));
    }

    // A device or address another line of this process holds is refused as a second program
    // would be; this line's own re-open takes it again.
    bool Hold(const QString& name) {
        const QString key = HeldLines::KeyOf(name);
        if (!HeldLines::Claim(key, this)) {
            const QString shown = IsNetworkName(name) ? name : PortNames::DevicePath(name);
            ShowMessage(Tt(TextKey::MsgPortUnavailable) + '\n' +
                        Tt(TextKey::MsgPortBusy).arg(shown));
            return false;
        }
        heldKey = key;
        return true;
    }

    ~State() {
        StopWatching();
        Release();
    }
};

Line::Line() : s_(std::make_unique<State>()) {}

Line::~Line() = default;

std::array<uint8_t, 256>& Line::Buffer() {
    return s_->buffer;
}

bool Line::IsOpen() const {
    return s_->line != nullptr;
}

bool Line::KeepsGatewaySettings() const {
    return s_->net && s_->net->Address().kind != NetKind::Rfc2217;
}

bool Line::WaitForInput(int timeoutMs) {
    State& s = *s_;
    if (!s.line) return false;
    if (!s.arrived.bytes.empty()) return true;
    QElapsedTimer clock;
    clock.start();
    // A network line may wake the poll with its protocol's own talk and no data: wait on.
    for (;;) {
        if (s.line->WaitReadable(RemainingMs(clock, timeoutMs)) != LineWait::Readable) return false;
        if (!s.NoteArrivals()) s.hungUp = true;
        if (s.hungUp || !s.arrived.bytes.empty()) return true;
        if (RemainingMs(clock, timeoutMs) == 0) return false;
    }
}

LineReadTiming Line::LastReadTiming() const {
    return s_->lastRead;
}

int64_t Line::LastRequestEndUs() const {
    return s_->requestEndUs;
}

int64_t Line::SilenceMicros() const {
    return s_->SilenceMicros();
}

LineWireBytes Line::LastWire() const {
    const NetLine* net = s_->net;
    if (!net || net->Address().kind != NetKind::ModbusTcp) return {};
    const auto bytes = [](const std::vector<uint8_t>& wire) {
        return QByteArray(reinterpret_cast<const char*>(wire.data()),
                          static_cast<qsizetype>(wire.size()));
    };
    return {bytes(net->SentWire()), bytes(net->ReceivedWire()), net->WrongTransactions()};
}

// A network line: connected anew, or for a re-open the kept connection set at `settings`.
bool Line::OpenNetwork(const QString& name, const QString& settings, bool mustBeChosen,
                       bool listenOnly) {
    State& s = *s_;
    std::unique_ptr<NetLine> kept = std::move(s.parked);
    Close();
    s.parked.reset();
    QString message;
    // A re-open reaches only the line the user opened.
    if (mustBeChosen && name != s.chosen.path) {
        ShowMessage(Tt(TextKey::MsgPortUnavailable) + '\n' + Tt(TextKey::MsgPortMissing).arg(name));
        return false;
    }
    if (!s.Hold(name)) return false;
    std::unique_ptr<NetLine> opened;
    if (mustBeChosen && kept && kept->Alive() && !listenOnly) {
        if (!kept->Apply(settings, &message)) {
            s.Release();
            ShowMessage(message);
            return false;
        }
        opened = std::move(kept);
    } else {
        kept.reset();
        opened = NetLine::Open(name, settings, &message, listenOnly);
        if (!opened) {
            s.Release();
            ShowMessage(message);
            return false;
        }
    }
    s.chosen = {0, name};
    s.vanished = false;
    s.net = opened.get();
    s.line = std::move(opened);
    s.lastActivityUs = -1;
    s.WatchArrivals();
    return true;
}

bool Line::OpenDevice(const QString& name, const QString& settings, bool mustBeChosen,
                      bool listenOnly) {
    State& s = *s_;
    if (IsNetworkName(name)) {
        const bool opened = OpenNetwork(name, settings, mustBeChosen, listenOnly);
        s.listening = opened && listenOnly;
        return opened;
    }
    Close();
    s.parked.reset();
    if (!s.Hold(name)) return false;
    QString message;
    SerialDeviceIdentity reached;
    const SerialDeviceIdentity want = s.chosen;
    auto opened = SerialBackend::Open(name, settings, mustBeChosen ? &want : nullptr, &reached,
                                      &message, listenOnly);
    if (!reached.path.isEmpty()) {
        s.chosen = reached;
        s.vanished = false;
    }
    if (!opened) {
        s.Release();
        ShowMessage(message);
        return false;
    }
    s.line = std::move(opened);
    s.listening = listenOnly;
    s.lastActivityUs = -1;
    s.WatchArrivals();
    return true;
}

bool Line::Open(const QString& name, const QString& settings) {
    return OpenDevice(name, settings, false, false);
}

bool Line::Reopen(const QString& name, const QString& settings) {
    return OpenDevice(name, settings, true, s_->listening);
}

bool Line::OpenListening(const QString& name, const QString& settings) {
    return OpenDevice(name, settings, false, true);
}

bool Line::Listening() const {
    return s_->line && s_->listening;
}

void Line::SetArrivalSink(LineArrivalSink sink) {
    s_->sink = std::move(sink);
}

void Line::TakeArrivals() {
    State& s = *s_;
    if (!s.line) return;
    // A raw terminal reads 0 when empty: read only what the line says is there.
    if (!s.hungUp) {
        const LineWait ready = s.line->WaitReadable(0);
        if ((ready == LineWait::Readable || ready == LineWait::HungUp) && !s.NoteArrivals())
            s.hungUp = true;
    }
    if (s.hungUp) s.MarkVanished();
}

void Line::Close() {
    s_->CloseLine();
    s_->Release();
    s_->listening = false;
}

void Line::Flush() {
    if (s_->line) s_->line->Drain();
}

bool Line::Vanished() const {
    return s_->vanished;
}

int Line::DiscardedBeforeWrite() const {
    return s_->discarded;
}

int Line::Write(int n) {
    State& s = *s_;
    if (!s.line || n <= 0 || s.listening) return 0;
    n = qMin(n, static_cast<int>(s.buffer.size()));
    s.discarded = s.DiscardInput();
    s.KeepSilence();
    const int limitMs = n + kWriteConstantMs;
    QElapsedTimer clock;
    clock.start();
    int written = 0;
    while (written < n) {
        const LineIo wrote = s.line->WriteSome(s.buffer.data() + written, n - written);
        if (wrote.Moved()) {
            written += static_cast<int>(wrote.count);
            continue;
        }
        if (wrote.kind == LineIo::Kind::Failed) {
            s.MarkVanished();
            return 0;
        }
        const int left = RemainingMs(clock, limitMs);
        if (left == 0) break;
        s.line->WaitWritable(left);
    }
    s.requestEndUs =
        SteadyMicros() + static_cast<int64_t>(s.line->Unsent() * s.line->CharacterMicros() + 0.5);
    s.lastActivityUs = s.requestEndUs;
    return written;
}

QString Line::ReadHex() {
    return ReadHex(0);
}

QString Line::ReadHex(int frameBytes) {
    State& s = *s_;
    s.lastRead = {};
    if (!s.line) return QString();
    QElapsedTimer clock;
    clock.start();
    auto& buffer = s.buffer;
    // What came while nobody was reading, with the time it came.
    int count = static_cast<int>(std::min<size_t>(s.arrived.bytes.size(), kReadCount));
    std::copy(s.arrived.bytes.begin(), s.arrived.bytes.begin() + count, buffer.begin());
    if (count > 0) s.lastRead = {s.arrived.firstUs, s.arrived.lastUs};
    s.arrived.bytes.erase(s.arrived.bytes.begin(), s.arrived.bytes.begin() + count);
    if (s.arrived.bytes.empty()) s.arrived = {};
    s.ResumeWatching();
    if (s.hungUp && count == 0) s.MarkVanished();
    // A frame's end: 3.5 characters of silence, in whole milliseconds.
    const int frameEndMs = static_cast<int>(s.SilenceMicros() / 1000) + 1;
    while (count < kReadCount) {
        const int totalLeft = RemainingMs(clock, kReadTotalMs);
        if (totalLeft == 0) break;
        const int intervalMs = frameBytes > 0 && count >= frameBytes ? frameEndMs : kReadIntervalMs;
        const LineWait ready =
            s.line->WaitReadable(count > 0 ? qMin(intervalMs, totalLeft) : totalLeft);
        if (ready == LineWait::Interrupted) continue;
        if (ready == LineWait::Silent) break;  // silence
        if (ready == LineWait::HungUp) {
            s.MarkVanished();
            break;
        }
        const LineIo read = s.line->ReadSome(buffer.data() + count, kReadCount - count);
        if (!read.Moved()) {
            if (read.kind == LineIo::Kind::Again) continue;
            s.MarkVanished();  // readable yet nothing to read: the line has hung up
            break;
        }
        const long long got = read.count;
        const int64_t now = SteadyMicros();
        if (count == 0) s.lastRead.firstByteUs = now;
        s.lastRead.lastByteUs = now;
        s.lastActivityUs = now;
        count += static_cast<int>(got);
    }
    if (count == 0) {
        Flush();
        return QString();
    }
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(count * 2);
    for (int i = 0; i < count; ++i) {
        text += QLatin1Char(digits[buffer[i] >> 4]);
        text += QLatin1Char(digits[buffer[i] & 0x0F]);
    }
    return text;
}
