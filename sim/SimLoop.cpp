#include "sim/SimLoop.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <memory>

#include "sim/PtyLine.h"
#include "sim/RequestFramer.h"

namespace {
using Clock = std::chrono::steady_clock;

// While the program has its port closed the master end reports a hang-up at every poll; the
// line is then left out until the slave is opened again (inotify), or checked now and then.
constexpr auto kHungRecheck = std::chrono::milliseconds(250);

struct Reply {
    Clock::time_point due;
    Frame bytes;
};

struct Line {
    std::unique_ptr<PtyLine> pty;
    SimBus bus;
    RequestFramer framer;
    Clock::time_point lastByte;
    bool hung = false;
    Clock::time_point hungSince;
    int watch = -1;
    std::vector<Reply> replies;
};

std::string Hex(const Frame& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

Clock::duration Ms(double ms) {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(ms));
}

std::string Describe(const BusConfig& bus) {
    std::string text;
    for (const ModuleConfig& m : bus.modules) {
        const ModuleLine line = *LineOfCode(m.code);
        if (!text.empty()) text += "; ";
        text += m.model->name + " addr " + std::to_string(m.address) + " " +
                std::to_string(line.baud) + "," + line.parity + " (code " + std::to_string(m.code) +
                ")";
        if (m.talksAt)
            text += " talking at " + std::to_string(m.talksAt->baud) + "," + m.talksAt->parity;
        if (m.takeMs > 0) text += " takes changes " + std::to_string(m.takeMs) + " ms late";
        if (m.writes == ParameterWrites::Refuses) text += " refuses changes";
        if (m.writes == ParameterWrites::Ignores) text += " ignores changes";
        for (const FaultRule& f : m.faults) text += " fault " + FaultName(f.kind);
    }
    if (bus.bench)
        text = "bench (one at a time, hold " + std::to_string(bus.timing.holdMs) + " ms, pause " +
               std::to_string(bus.timing.pauseMs) + " ms, gap " + std::to_string(bus.timing.gapMs) +
               " ms): " + text;
    return text;
}
}  // namespace

std::string TimeStamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const int ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    std::tm local;
    localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, ms);
    return text;
}

int RunSimulator(const SimConfig& config, std::ostream& out, std::ostream& err,
                 const volatile sig_atomic_t* stop, const sigset_t* waitMask) {
    for (const std::string& folder : config.folders) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            err << "znsim: cannot make the folder " << folder << ": " << error.message() << "\n";
            return 1;
        }
    }
    const int notify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    std::vector<std::unique_ptr<Line>> lines;
    uint32_t seed = config.seed;
    for (const BusConfig& bus : config.buses) {
        auto line = std::make_unique<Line>(Line{std::make_unique<PtyLine>(bus.path),
                                                SimBus(bus.modules, seed),
                                                {},
                                                {},
                                                false,
                                                {},
                                                -1,
                                                {}});
        if (bus.bench) line->bus.MakeBench(bus.timing);
        seed += 104729;
        if (!line->pty->Ok()) {
            err << "znsim: " << line->pty->Error() << "\n";
            return 1;  // the lines made so far remove their links as they go
        }
        if (notify >= 0)
            line->watch = ::inotify_add_watch(notify, line->pty->SlavePath().c_str(), IN_OPEN);
        out << "znsim: " << bus.path << " -> " << line->pty->SlavePath() << ": " << Describe(bus)
            << "\n";
        lines.push_back(std::move(line));
    }
    out << "znsim: ready, " << lines.size() << (lines.size() == 1 ? " line" : " lines")
        << "; Ctrl-C ends" << std::endl;

    const Clock::time_point start = Clock::now();
    auto handle = [&](Line& line, const Frame& request) {
        const LineState state = line.pty->Line();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double seconds = config.frozenAt >= 0 ? config.frozenAt : wall;
        BusExchange exchange = line.bus.Exchange(request, state, seconds, wall);
        if (config.verbose) {
            out << TimeStamp() << " " << line.pty->LinkPath() << " <- " << Hex(request);
            for (const std::string& note : exchange.notes) out << " [" << note << "]";
            if (!exchange.Answered()) out << " [no answer]";
            out << std::endl;
        }
        for (const Transmission& reply : exchange.replies)
            line.replies.push_back({line.lastByte + Ms(reply.delayMs), reply.bytes});
    };

    std::vector<pollfd> fds;
    std::vector<Line*> polled;
    uint8_t chunk[512];
    while (!*stop) {
        const Clock::time_point now = Clock::now();
        Clock::time_point wake = now + std::chrono::seconds(1);
        fds.clear();
        polled.clear();
        for (auto& line : lines) {
            for (const Reply& r : line->replies) wake = std::min(wake, r.due);
            if (line->framer.Pending())
                wake = std::min(wake,
                                line->lastByte + Ms(RequestFramer::GapMs(line->pty->Line().baud)));
            if (line->hung) {
                wake = std::min(wake, line->hungSince + kHungRecheck);
                if (now < line->hungSince + kHungRecheck) continue;
                line->hung = false;  // time to look again
            }
            fds.push_back({line->pty->MasterFd(), POLLIN, 0});
            polled.push_back(line.get());
        }
        if (notify >= 0) fds.push_back({notify, POLLIN, 0});
        const auto waitNs = std::max<Clock::duration>(Clock::duration::zero(), wake - now);
        timespec timeout{static_cast<time_t>(waitNs.count() / 1000000000),
                         static_cast<long>(waitNs.count() % 1000000000)};
        const int ready = ::ppoll(fds.data(), fds.size(), &timeout, waitMask);
        if (ready < 0 && errno != EINTR) {
            err << "znsim: poll failed\n";
            return 1;
        }
        for (size_t i = 0; ready > 0 && i < polled.size(); ++i) {
            Line& line = *polled[i];
            if (fds[i].revents & POLLIN) {
                const ssize_t got = line.pty->Read(chunk, sizeof chunk);
                if (got > 0) {
                    line.lastByte = Clock::now();
                    for (const Frame& request : line.framer.Feed(chunk, static_cast<size_t>(got)))
                        handle(line, request);
                    continue;
                }
            }
            if (fds[i].revents & (POLLHUP | POLLERR)) {
                line.hung = true;
                line.hungSince = Clock::now();
            }
        }
        if (notify >= 0 && (fds.back().revents & POLLIN)) {
            alignas(inotify_event) char events[4096];
            ssize_t got;
            while ((got = ::read(notify, events, sizeof events)) > 0) {
                for (char* p = events; p < events + got;) {
                    const auto* event = reinterpret_cast<inotify_event*>(p);
                    for (auto& line : lines)
                        if (line->watch == event->wd) line->hung = false;
                    p += sizeof(inotify_event) + event->len;
                }
            }
        }
        const Clock::time_point after = Clock::now();
        for (auto& line : lines) {
            if (line->framer.Pending() &&
                after >= line->lastByte + Ms(RequestFramer::GapMs(line->pty->Line().baud)))
                if (auto request = line->framer.Flush()) handle(*line, *request);
            auto& replies = line->replies;
            std::stable_sort(replies.begin(), replies.end(),
                             [](const Reply& a, const Reply& b) { return a.due < b.due; });
            while (!replies.empty() && replies.front().due <= after) {
                line->pty->Write(replies.front().bytes);
                if (config.verbose)
                    out << TimeStamp() << " " << line->pty->LinkPath() << " -> "
                        << Hex(replies.front().bytes) << std::endl;
                replies.erase(replies.begin());
            }
        }
    }
    if (notify >= 0) ::close(notify);
    out << "znsim: stopped, links removed" << std::endl;
    return 0;
}
