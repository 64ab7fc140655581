// Listen-only benchmark: a saturated bus at 115200 baud played into a pseudo-terminal by a writer
// process that paces whole frames at the line's rate (each frame on the wire, then 3.5 character
// times of silence, then the next), heard by the listener as the program does it. Prints whether
// every frame was heard whole (none lost, merged or split) and the CPU the listening process used
// per core, beside a floor: a plain reader of the same pty measured the same way. With `jitter`,
// one frame in four is written in two parts 0.5 to 16 ms apart, as a USB adapter delivers it.
// Usage: zn_listen_bench [FRAMES] [listen|floor] [jitter]
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "core/listen/ListenSession.h"
#include "core/line/SerialLineSettings.h"
#include "core/line/SerialPort.h"

namespace {
constexpr int kBaud = 115200;

// The exchanges the writer plays, in turn: a read of 3 registers, a read of 8 input registers,
// a single write, a write of 2 registers, each to one of 20 addresses.
std::vector<Frame> Exchange(int n) {
    const auto address = static_cast<uint8_t>(1 + n % 20);
    switch (n % 4) {
        case 0:
            return {AppendCrc16(Frame{address, 0x03, 0x00, 0x64, 0x00, 0x03}),
                    AppendCrc16(Frame{address, 0x03, 0x06, 0x00, address, 0x00, 0x02, 0x00, 0xD2})};
        case 1: {
            Frame reply{address, 0x04, 0x10};
            for (int i = 0; i < 16; ++i) reply.push_back(static_cast<uint8_t>(n + i));
            return {AppendCrc16(Frame{address, 0x04, 0x00, 0x00, 0x00, 0x08}), AppendCrc16(reply)};
        }
        case 2: {
            const Frame write = AppendCrc16(Frame{address, 0x06, 0x00, 0x10, 0x01, 0x02});
            return {write, write};
        }
        default:
            return {AppendCrc16(
                        Frame{address, 0x10, 0x00, 0x20, 0x00, 0x02, 0x04, 0x00, 0x01, 0x00, 0x02}),
                    AppendCrc16(Frame{address, 0x10, 0x00, 0x20, 0x00, 0x02})};
    }
}

void WriteAll(int master, const uint8_t* bytes, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::write(master, bytes + done, count - done);
        if (got > 0) done += static_cast<size_t>(got);
    }
}

// The writer: every frame written whole at the moment its last byte would leave a UART, or with
// `jitter` now and then in two parts with a pause between (seeded: the same pauses every run).
[[noreturn]] void Write(int master, int frames, double characterUs, bool jitter) {
    uint32_t seed = 12345;
    const auto random = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    const auto advance = [&](double us) {
        next.tv_nsec += static_cast<long>(us * 1000);
        while (next.tv_nsec >= 1'000'000'000) {
            next.tv_nsec -= 1'000'000'000;
            ++next.tv_sec;
        }
    };
    advance(50'000);  // let the reader settle
    int sent = 0;
    for (int n = 0; sent < frames; ++n) {
        for (const Frame& frame : Exchange(n)) {
            if (sent == frames) break;
            advance(characterUs * (static_cast<double>(frame.size()) + 3.5));
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
            size_t cut = 0;
            if (jitter && random() % 4 == 0) {
                cut = 1 + random() % (frame.size() - 1);
                WriteAll(master, frame.data(), cut);
                advance(500 + random() % 15'500);
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
            }
            WriteAll(master, frame.data() + cut, frame.size() - cut);
            ++sent;
        }
    }
    _exit(0);
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int frames = argc > 1 ? atoi(argv[1]) : 100'000;
    const bool floor = argc > 2 && QByteArray(argv[2]) == "floor";
    const bool jitter = argc > 3 && QByteArray(argv[3]) == "jitter";
    const QString settings = QStringLiteral("%1,N,8,1").arg(kBaud);
    const double characterUs = CharacterMicros(*ParseLineSettings(settings));

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return 1;
    const QString slave = QString::fromLocal8Bit(ptsname(master));
    // The writer must not meet a full buffer while the reader is not yet there: the slave is
    // opened before the writer starts.
    ListenSession session;
    int plainFd = -1;
    uint64_t plainBytes = 0;
    QSocketNotifier* plain = nullptr;
    if (floor) {
        plainFd = ::open(slave.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        termios raw{};
        tcgetattr(plainFd, &raw);
        cfmakeraw(&raw);
        tcsetattr(plainFd, TCSANOW, &raw);
        plain = new QSocketNotifier(plainFd, QSocketNotifier::Read, &app);
        QObject::connect(plain, &QSocketNotifier::activated, [&] {
            uint8_t chunk[256];
            ssize_t got;
            // As the listener reads: until a read comes short.
            while ((got = ::read(plainFd, chunk, sizeof chunk)) > 0) {
                plainBytes += got;
                if (got < static_cast<ssize_t>(sizeof chunk)) break;
            }
        });
    } else if (!session.Start(slave, settings, 1.0, {500, 1000})) {
        return 1;
    }
    uint64_t expectedBytes = 0;
    {
        int counted = 0;
        for (int n = 0; counted < frames; ++n)
            for (const Frame& frame : Exchange(n))
                if (counted < frames) {
                    expectedBytes += frame.size();
                    ++counted;
                }
    }

    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    const pid_t writer = fork();
    if (writer == 0) Write(master, frames, characterUs, jitter);
    // The end: the writer has gone and the line has been quiet for a while.
    QTimer watch;
    watch.setInterval(100);
    int quietTicks = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        int status = 0;
        static bool writerDone = false;
        if (!writerDone && waitpid(writer, &status, WNOHANG) == writer) writerDone = true;
        if (writerDone && ++quietTicks >= 5) app.quit();
    });
    watch.start();
    app.exec();
    const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0 - 0.5;

    std::printf("%s: %d frames at %d baud%s in %.1f s of line time\n",
                floor ? "floor (plain reader)" : "listener", frames, kBaud,
                jitter ? ", one in four paused inside" : "", wall);
    std::printf("  CPU %.3f s = %.2f %% of a core\n", cpu, 100.0 * cpu / wall);
    if (floor) {
        std::printf("  bytes read %llu of %llu\n", static_cast<unsigned long long>(plainBytes),
                    static_cast<unsigned long long>(expectedBytes));
        return plainBytes == expectedBytes ? 0 : 2;
    }
    BusListener* listener = session.Listener();
    const TrafficSummary& summary = session.Log().Summary();
    std::printf("  frames heard %llu, noise %llu; requests %d, accepted %d, rejected %d\n",
                static_cast<unsigned long long>(listener->Frames()),
                static_cast<unsigned long long>(listener->NoiseFrames()), summary.requests,
                summary.accepted, summary.rejected);
    const bool whole = listener->Frames() == static_cast<uint64_t>(frames) &&
                       listener->NoiseFrames() == 0 && summary.requests == frames / 2 &&
                       summary.accepted == frames / 2 && summary.rejected == 0;
    std::printf("  %s\n", whole ? "none lost, merged or split" : "FRAMES LOST, MERGED OR SPLIT");
    return whole ? 0 : 2;
}
