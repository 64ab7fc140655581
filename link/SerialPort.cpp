#include "link/SerialPort.h"

#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>

#include "base/Platform.h"
#include "base/TextTable.h"
#include "link/NetLine.h"
#include "link/SerialLine.h"

namespace SerialPort {
namespace {
std::unique_ptr<LineBackend> line;
NetLine* net = nullptr;  // the line, when it is a network line
// A network line closed for a re-open: the connection is kept until the event loop next turns, so
// that the re-open the windows do after every rejected reply does not reconnect each time (a
// gateway may well refuse a new client while it closes the old one).
std::unique_ptr<NetLine> parked;
SerialDeviceIdentity chosen;  // the device of the user's open; re-opens must find it again
bool vanished = false;        // the open device has hung up or refused a write
int discarded = 0;            // stale bytes thrown away before the last write
bool listening = false;       // opened to watch a bus: not a byte may leave
ArrivalSink sink;             // while listening, where arrivals go as they come
std::array<uint8_t, 256> buffer{};

// Bytes read as they arrived, before anyone asked for them, with the time they came.
struct Arrived {
    std::vector<uint8_t> bytes;
    int64_t firstUs = -1;
    int64_t lastUs = -1;
};
Arrived arrived;
constexpr size_t kArrivedLimit = 4096;  // as much as a driver keeps; the rest waits there
bool hungUp = false;                    // the line said so while bytes were being noted
int64_t lastActivityUs = -1;            // the last byte seen on the line, either way
ReadTiming lastRead;
int64_t requestEndUs = -1;
// Owned by the application, so that it goes with it rather than after it at the program's end.
QPointer<QSocketNotifier> notifier;

void StopWatching() {
    delete notifier.data();
    notifier.clear();
}

// Read time-outs: 1 ms per requested byte plus 1 ms in all, 20 ms of silence after a byte.
constexpr int kReadCount = 255;
constexpr int kReadTotalMs = kReadCount * 1 + 1;
constexpr int kReadIntervalMs = 20;
// Write time-out: 1 ms per byte plus 10 ms.
constexpr int kWriteConstantMs = 10;

void DropParked() {
    parked.reset();
}

void CloseLine() {
    StopWatching();
    if (net && !hungUp && !vanished && QCoreApplication::instance()) {
        parked.reset(static_cast<NetLine*>(line.release()));
        QTimer::singleShot(0, QCoreApplication::instance(), [] { DropParked(); });
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

// Reads what the driver holds into `arrived`, stamped now; called when the line is readable.
// False once the line has hung up.
bool NoteArrivals() {
    if (!line) return false;
    uint8_t chunk[256];
    bool gotAny = false;
    for (;;) {
        const size_t room = kArrivedLimit - arrived.bytes.size();
        if (room == 0) {
            // The rest waits in the driver until a read makes room: no busy loop meanwhile.
            if (notifier) notifier->setEnabled(false);
            return true;
        }
        const ssize_t got = line->ReadSome(chunk, std::min(room, sizeof chunk));
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
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return true;
        // A raw terminal reads 0 once it is empty; readable yet nothing at all to read, or an
        // error, is a line that has hung up.
        return got == 0 && gotAny;
    }
}

// While the event loop runs, bytes are taken as they come, so their time is the module's.
void WatchArrivals() {
    StopWatching();
    if (!line || !QCoreApplication::instance()) return;
    notifier = new QSocketNotifier(line->Descriptor(), QSocketNotifier::Read,
                                   QCoreApplication::instance());
    QObject::connect(notifier.data(), &QSocketNotifier::activated, [] {
        if (NoteArrivals()) return;
        // Told when the window next reads, as before: a notifier must not raise a message box.
        hungUp = true;
        notifier->setEnabled(false);
    });
}

// Takes arrivals again once a read or a discard has made room.
void ResumeWatching() {
    if (notifier && !hungUp) notifier->setEnabled(true);
}

// Whatever arrived since the last reply was judged belongs to no request of ours: a late reply
// kept would be shown as the answer to the next request.
int DiscardInput() {
    int count = static_cast<int>(arrived.bytes.size());
    arrived = {};
    std::array<uint8_t, 256> scratch;
    for (;;) {
        const ssize_t got = line->ReadSome(scratch.data(), scratch.size());
        if (got > 0) {
            count += static_cast<int>(got);
            lastActivityUs = SteadyMicros();
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
    }
    line->DiscardInput();
    ResumeWatching();
    return count;
}

// Modbus RTU frames are told apart by silence: never start a request sooner after the last byte.
void KeepSilence() {
    if (lastActivityUs < 0) return;
    const int64_t left = lastActivityUs + SilenceMicros() - SteadyMicros();
    if (left > 0) QThread::usleep(static_cast<unsigned long>(left));
}

int RemainingMs(const QElapsedTimer& clock, int limitMs) {
    return static_cast<int>(qMax<qint64>(0, limitMs - clock.elapsed()));
}
}  // namespace

std::array<uint8_t, 256>& PortBuffer() {
    return buffer;
}

bool IsOpen() {
    return line != nullptr;
}

bool KeepsGatewaySettings() {
    return net && net->Address().kind != NetKind::Rfc2217;
}

int64_t SteadyMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool WaitForInput(int timeoutMs) {
    if (!line) return false;
    if (!arrived.bytes.empty()) return true;
    QElapsedTimer clock;
    clock.start();
    // A network line may wake the poll with its protocol's own talk and no data: wait on.
    for (;;) {
        pollfd pfd{line->Descriptor(), POLLIN, 0};
        if (::poll(&pfd, 1, RemainingMs(clock, timeoutMs)) <= 0 || !(pfd.revents & POLLIN))
            return false;
        if (!NoteArrivals()) hungUp = true;
        if (hungUp || !arrived.bytes.empty()) return true;
        if (RemainingMs(clock, timeoutMs) == 0) return false;
    }
}

ReadTiming LastReadTiming() {
    return lastRead;
}

int64_t LastRequestEndUs() {
    return requestEndUs;
}

int64_t SilenceMicros() {
    return line ? static_cast<int64_t>(3.5 * line->CharacterMicros() + 0.5) : 0;
}

WireBytes LastWire() {
    if (!net || net->Address().kind != NetKind::ModbusTcp) return {};
    const auto bytes = [](const std::vector<uint8_t>& wire) {
        return QByteArray(reinterpret_cast<const char*>(wire.data()),
                          static_cast<qsizetype>(wire.size()));
    };
    return {bytes(net->SentWire()), bytes(net->ReceivedWire()), net->WrongTransactions()};
}

std::optional<int> ComNumber(const QString& name) {
    static const QRegularExpression com("^COM([0-9]{1,5})$",
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(name);
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1).toInt();
}

QString DevicePath(const QString& name) {
    if (name.contains('/')) return name;
    const auto number = ComNumber(name);
    if (!number) return name;
    // The link keeps the digits as typed: "COM01" is sys/COM01.
    const QString link = QStringLiteral("sys/") + name.toUpper();
    if (QFileInfo::exists(link) || QFileInfo(link).isSymLink()) return link;
    return QStringLiteral("/dev/ttyS%1").arg(*number - 1);
}

// A network line: connected anew, or for a re-open the kept connection set at `settings`.
static bool OpenNetwork(const QString& name, const QString& settings, bool mustBeChosen,
                        bool listenOnly) {
    std::unique_ptr<NetLine> kept = std::move(parked);
    ClosePort();
    DropParked();
    QString message;
    // A re-open reaches only the line the user opened.
    if (mustBeChosen && name != chosen.path) {
        ShowMessage(Tt(TextKey::MsgPortUnavailable) + '\n' + Tt(TextKey::MsgPortMissing).arg(name));
        return false;
    }
    std::unique_ptr<NetLine> opened;
    if (mustBeChosen && kept && kept->Alive() && !listenOnly) {
        if (!kept->Apply(settings, &message)) {
            ShowMessage(message);
            return false;
        }
        opened = std::move(kept);
    } else {
        kept.reset();
        opened = NetLine::Open(name, settings, &message, listenOnly);
        if (!opened) {
            ShowMessage(message);
            return false;
        }
    }
    chosen = {0, name};
    vanished = false;
    net = opened.get();
    line = std::move(opened);
    lastActivityUs = -1;
    WatchArrivals();
    return true;
}

static bool OpenDevice(const QString& name, const QString& settings, bool mustBeChosen,
                       bool listenOnly) {
    if (IsNetworkName(name)) {
        const bool opened = OpenNetwork(name, settings, mustBeChosen, listenOnly);
        listening = opened && listenOnly;
        return opened;
    }
    ClosePort();
    DropParked();
    QString message;
    SerialDeviceIdentity reached;
    const SerialDeviceIdentity want = chosen;
    auto opened = SerialLine::Open(name, settings, mustBeChosen ? &want : nullptr, &reached,
                                   &message, listenOnly);
    if (!reached.path.isEmpty()) {
        chosen = reached;
        vanished = false;
    }
    if (!opened) {
        ShowMessage(message);
        return false;
    }
    line = std::move(opened);
    listening = listenOnly;
    lastActivityUs = -1;
    WatchArrivals();
    return true;
}

bool OpenPort(const QString& name, const QString& settings) {
    return OpenDevice(name, settings, false, false);
}

bool ReopenPort(const QString& name, const QString& settings) {
    return OpenDevice(name, settings, true, listening);
}

bool OpenListening(const QString& name, const QString& settings) {
    return OpenDevice(name, settings, false, true);
}

bool Listening() {
    return line && listening;
}

void SetArrivalSink(ArrivalSink to) {
    sink = std::move(to);
}

void TakeArrivals() {
    if (!line) return;
    // A raw terminal reads 0 when empty: read only what the line says is there.
    pollfd pfd{line->Descriptor(), POLLIN, 0};
    if (!hungUp && ::poll(&pfd, 1, 0) > 0 && !NoteArrivals()) hungUp = true;
    if (hungUp) MarkVanished();
}

void ClosePort() {
    CloseLine();
    listening = false;
}

void FlushPort() {
    if (line) line->Drain();
}

bool Vanished() {
    return vanished;
}

int DiscardedBeforeWrite() {
    return discarded;
}

int WritePort(int n) {
    if (!line || n <= 0 || listening) return 0;
    n = qMin(n, static_cast<int>(buffer.size()));
    discarded = DiscardInput();
    KeepSilence();
    const int limitMs = n + kWriteConstantMs;
    QElapsedTimer clock;
    clock.start();
    int written = 0;
    while (written < n) {
        ssize_t got = line->WriteSome(buffer.data() + written, n - written);
        if (got > 0) {
            written += static_cast<int>(got);
            continue;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            MarkVanished();
            return 0;
        }
        const int left = RemainingMs(clock, limitMs);
        if (left == 0) break;
        pollfd pfd{line->Descriptor(), POLLOUT, 0};
        ::poll(&pfd, 1, left);
    }
    requestEndUs =
        SteadyMicros() + static_cast<int64_t>(line->Unsent() * line->CharacterMicros() + 0.5);
    lastActivityUs = requestEndUs;
    return written;
}

QString ReadPortHex() {
    lastRead = {};
    if (!line) return QString();
    QElapsedTimer clock;
    clock.start();
    // What came while nobody was reading, with the time it came.
    int count = static_cast<int>(std::min<size_t>(arrived.bytes.size(), kReadCount));
    std::copy(arrived.bytes.begin(), arrived.bytes.begin() + count, buffer.begin());
    if (count > 0) lastRead = {arrived.firstUs, arrived.lastUs};
    arrived.bytes.erase(arrived.bytes.begin(), arrived.bytes.begin() + count);
    if (arrived.bytes.empty()) arrived = {};
    ResumeWatching();
    if (hungUp && count == 0) MarkVanished();
    while (count < kReadCount) {
        const int totalLeft = RemainingMs(clock, kReadTotalMs);
        if (totalLeft == 0) break;
        pollfd pfd{line->Descriptor(), POLLIN, 0};
        const int ready = ::poll(&pfd, 1, count > 0 ? qMin(kReadIntervalMs, totalLeft) : totalLeft);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;  // silence
        if (!(pfd.revents & POLLIN)) {
            if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) MarkVanished();
            break;
        }
        ssize_t got = line->ReadSome(buffer.data() + count, kReadCount - count);
        if (got <= 0) {
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            MarkVanished();  // readable yet nothing to read: the line has hung up
            break;
        }
        const int64_t now = SteadyMicros();
        if (count == 0) lastRead.firstByteUs = now;
        lastRead.lastByteUs = now;
        lastActivityUs = now;
        count += static_cast<int>(got);
    }
    if (count == 0) {
        FlushPort();
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
}  // namespace SerialPort
