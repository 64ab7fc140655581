#include "sim/SimLoop.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <deque>
#include <filesystem>
#include <memory>
#include <tuple>

#include "sim/ModbusTcp.h"
#include "sim/NetListener.h"
#include "sim/PtyLine.h"
#include "sim/RequestFramer.h"

namespace {
using Clock = std::chrono::steady_clock;

// While no one holds a pty's slave end its master reports a hang-up at every poll; the pty is
// then left out until the slave is opened again (inotify), or checked now and then.
constexpr auto kHungRecheck = std::chrono::milliseconds(250);

// Where a reply goes; BusOnly is a module's reply that only the bus (and its tap) carries, as
// the one a Modbus TCP gateway reads before it answers its client.
enum class Sink { Serial, RawTcp, ModbusTcp, BusOnly };

struct Reply {
    Clock::time_point due;
    Frame bytes;
    Sink sink;
    bool onBus;  // crosses the bus, so the tap gets a copy
};

struct PtyEnd {
    std::unique_ptr<PtyLine> pty;
    bool hung = false;
    Clock::time_point hungSince;
    int watch = -1;
};

// Requests coming as a byte stream, cut by their length or by a silence.
struct RequestStream {
    RequestFramer framer;
    Clock::time_point lastByte;
};

struct Line {
    Line(const BusConfig& config, uint32_t seed) : bus(config.modules, seed) {}
    PtyEnd serial;
    SimBus bus;
    RequestStream serialIn;
    PtyEnd tap;
    long tapDropped = 0;
    std::unique_ptr<NetListener> raw;
    RequestStream rawIn;
    std::unique_ptr<NetListener> modbus;
    MbapFramer modbusIn;
    std::deque<Frame> modbusWaiting;
    bool modbusBusy = false;  // a transaction is on the bus: the next waits, as at a gateway
    std::vector<Reply> replies;
};

enum class Source { Serial, Tap, RawTcp, ModbusTcp };

struct Polled {
    Line* line;
    Source source;
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
    auto watch = [&](PtyEnd& end) {
        if (notify >= 0)
            end.watch = ::inotify_add_watch(notify, end.pty->SlavePath().c_str(), IN_OPEN);
    };
    std::vector<std::unique_ptr<Line>> lines;
    uint32_t seed = config.seed;
    for (const BusConfig& bus : config.buses) {
        auto line = std::make_unique<Line>(bus, seed);
        seed += 104729;
        if (bus.bench) line->bus.MakeBench(bus.timing);
        line->serial.pty = std::make_unique<PtyLine>(bus.path);
        if (!line->serial.pty->Ok()) {
            err << "znsim: " << line->serial.pty->Error() << "\n";
            return 1;  // the lines made so far remove their links as they go
        }
        watch(line->serial);
        out << "znsim: " << bus.path << " -> " << line->serial.pty->SlavePath() << ": "
            << Describe(bus) << "\n";
        if (!bus.tapPath.empty()) {
            line->tap.pty = std::make_unique<PtyLine>(bus.tapPath);
            if (!line->tap.pty->Ok()) {
                err << "znsim: " << line->tap.pty->Error() << "\n";
                return 1;
            }
            line->tap.pty->MakeTap();
            line->tap.hung = true;  // until a listener opens it
            line->tap.hungSince = Clock::now();
            watch(line->tap);
            out << "znsim: " << bus.path << " tap " << bus.tapPath << " -> "
                << line->tap.pty->SlavePath() << "\n";
        }
        for (auto [port, listener, kind] :
             {std::tuple{bus.rawTcpPort, &line->raw, "raw RTU over TCP"},
              std::tuple{bus.modbusTcpPort, &line->modbus, "Modbus TCP"}}) {
            if (port < 0) continue;
            *listener = std::make_unique<NetListener>(port);
            if (!(*listener)->Ok()) {
                err << "znsim: " << (*listener)->Error() << "\n";
                return 1;
            }
            out << "znsim: " << bus.path << " " << kind << " on 127.0.0.1:" << (*listener)->Port()
                << "\n";
        }
        lines.push_back(std::move(line));
    }
    out << "znsim: ready, " << lines.size() << (lines.size() == 1 ? " line" : " lines")
        << "; Ctrl-C ends" << std::endl;

    auto name = [](const Line& line, Source source) {
        switch (source) {
            case Source::Serial:
                return line.serial.pty->LinkPath();
            case Source::Tap:
                return line.tap.pty->LinkPath();
            case Source::RawTcp:
                return line.serial.pty->LinkPath() + " tcp:" + std::to_string(line.raw->Port());
            case Source::ModbusTcp:
                break;
        }
        return line.serial.pty->LinkPath() + " modbus-tcp:" + std::to_string(line.modbus->Port());
    };
    auto toTap = [](Line& line, const Frame& bytes) {
        if (line.tap.pty && line.tap.pty->Held()) line.tap.pty->Write(bytes);
    };

    const Clock::time_point start = Clock::now();
    // Passes a request to the bus and schedules its replies from `since`.
    auto exchange = [&](Line& line, const Frame& request, LineState state, Sink sink,
                        Clock::time_point since) {
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double seconds = config.frozenAt >= 0 ? config.frozenAt : wall;
        BusExchange done = line.bus.Exchange(request, state, seconds, wall);
        for (const Transmission& reply : done.replies)
            line.replies.push_back({since + Ms(reply.delayMs), reply.bytes, sink, true});
        return done;
    };
    auto log = [&](const std::string& where, const char* arrow, const Frame& bytes,
                   const std::vector<std::string>& notes, bool unanswered) {
        if (!config.verbose) return;
        out << TimeStamp() << " " << where << " " << arrow << " " << Hex(bytes);
        for (const std::string& note : notes) out << " [" << note << "]";
        if (unanswered) out << " [no answer]";
        out << std::endl;
    };
    auto handle = [&](Line& line, const Frame& request, Source source) {
        const bool serial = source == Source::Serial;
        LineState state = serial ? line.serial.pty->Line() : LineState{};
        state.anySettings = !serial;
        const RequestStream& in = serial ? line.serialIn : line.rawIn;
        const BusExchange done =
            exchange(line, request, state, serial ? Sink::Serial : Sink::RawTcp, in.lastByte);
        log(name(line, source), "<-", request, done.notes, !done.Answered());
    };
    // Puts the next waiting Modbus TCP request on the bus when the one before has been answered.
    auto startModbus = [&](Line& line) {
        if (!line.modbusBusy && !line.modbusWaiting.empty()) {
            const Frame mbap = std::move(line.modbusWaiting.front());
            line.modbusWaiting.pop_front();
            const Frame rtu = RtuOfMbap(mbap);
            toTap(line, rtu);
            const Clock::time_point now = Clock::now();
            LineState gateway;
            gateway.anySettings = true;
            BusExchange done = exchange(line, rtu, gateway, Sink::BusOnly, now);
            const GatewayAnswer answer = AnswerOfGateway(mbap, done);
            if (!answer.note.empty()) done.notes.push_back(answer.note);
            line.replies.push_back({now + Ms(answer.delayMs), answer.mbap, Sink::ModbusTcp, false});
            line.modbusBusy = true;
            log(name(line, Source::ModbusTcp), "<-", mbap, done.notes, false);
        }
    };
    // A client that went: its replies still due and its requests are forgotten.
    auto forget = [&](Line& line, Source source) {
        const Sink sink = source == Source::RawTcp ? Sink::RawTcp : Sink::ModbusTcp;
        std::erase_if(line.replies, [&](Reply& r) {
            if (r.sink == Sink::RawTcp && sink == Sink::RawTcp) r.sink = Sink::BusOnly;
            return r.sink == Sink::ModbusTcp && sink == Sink::ModbusTcp;
        });
        if (source == Source::RawTcp) {
            line.rawIn.framer.Flush();
        } else {
            line.modbusIn.Clear();
            line.modbusWaiting.clear();
            line.modbusBusy = false;
        }
        if (config.verbose)
            out << TimeStamp() << " " << name(line, source) << " client left" << std::endl;
    };

    std::vector<pollfd> fds;
    std::vector<Polled> polled;
    uint8_t chunk[512];
    while (!*stop) {
        const Clock::time_point now = Clock::now();
        Clock::time_point wake = now + std::chrono::seconds(1);
        fds.clear();
        polled.clear();
        auto waitOn = [&](PtyEnd& end, Line& line, Source source) {
            if (end.hung) {
                wake = std::min(wake, end.hungSince + kHungRecheck);
                if (now < end.hungSince + kHungRecheck) return;
                end.hung = false;  // time to look again
            }
            fds.push_back({end.pty->MasterFd(), POLLIN, 0});
            polled.push_back({&line, source});
        };
        for (auto& line : lines) {
            for (const Reply& r : line->replies) wake = std::min(wake, r.due);
            if (line->serialIn.framer.Pending())
                wake = std::min(wake, line->serialIn.lastByte +
                                          Ms(RequestFramer::GapMs(line->serial.pty->Line().baud)));
            if (line->rawIn.framer.Pending())
                wake = std::min(wake, line->rawIn.lastByte + Ms(RequestFramer::GapMs(0)));
            waitOn(line->serial, *line, Source::Serial);
            if (line->tap.pty) waitOn(line->tap, *line, Source::Tap);
            if (line->raw) {
                fds.push_back({line->raw->PollFd(), POLLIN, 0});
                polled.push_back({line.get(), Source::RawTcp});
            }
            if (line->modbus) {
                fds.push_back({line->modbus->PollFd(), POLLIN, 0});
                polled.push_back({line.get(), Source::ModbusTcp});
            }
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
            Line& line = *polled[i].line;
            const Source source = polled[i].source;
            const short events = fds[i].revents;
            if (!events) continue;
            if (source == Source::Serial || source == Source::Tap) {
                PtyEnd& end = source == Source::Serial ? line.serial : line.tap;
                const ssize_t got = (events & POLLIN) ? end.pty->Read(chunk, sizeof chunk) : 0;
                if (got > 0 && source == Source::Tap) {
                    // A listener only listens: what it sends never reaches the bus.
                    line.tapDropped += got;
                    if (config.verbose)
                        out << TimeStamp() << " " << name(line, source) << " dropped " << got
                            << " bytes a listener wrote (" << line.tapDropped << " in all)"
                            << std::endl;
                } else if (got > 0) {
                    line.serialIn.lastByte = Clock::now();
                    toTap(line, Frame(chunk, chunk + got));
                    for (const Frame& request :
                         line.serialIn.framer.Feed(chunk, static_cast<size_t>(got)))
                        handle(line, request, source);
                } else if (events & (POLLHUP | POLLERR)) {
                    end.hung = true;
                    end.hungSince = Clock::now();
                }
                continue;
            }
            NetListener& net = source == Source::RawTcp ? *line.raw : *line.modbus;
            if (!net.HasClient()) {
                const std::string peer = net.Accept();
                if (!peer.empty() && config.verbose)
                    out << TimeStamp() << " " << name(line, source) << " client " << peer
                        << " connected" << std::endl;
                continue;
            }
            const ssize_t got = net.Read(chunk, sizeof chunk);
            if (got < 0) {
                forget(line, source);
            } else if (got > 0 && source == Source::RawTcp) {
                line.rawIn.lastByte = Clock::now();
                toTap(line, Frame(chunk, chunk + got));
                for (const Frame& request : line.rawIn.framer.Feed(chunk, static_cast<size_t>(got)))
                    handle(line, request, source);
            } else if (got > 0) {
                std::vector<Frame> requests;
                if (!line.modbusIn.Feed(chunk, static_cast<size_t>(got), &requests)) {
                    if (config.verbose)
                        out << TimeStamp() << " " << name(line, source) << " <- "
                            << Hex(Frame(chunk, chunk + got)) << " [not Modbus TCP: client dropped]"
                            << std::endl;
                    net.DropClient();
                    forget(line, source);
                    continue;
                }
                for (Frame& request : requests) line.modbusWaiting.push_back(std::move(request));
                startModbus(line);
            }
        }
        if (notify >= 0 && (fds.back().revents & POLLIN)) {
            alignas(inotify_event) char events[4096];
            ssize_t got;
            while ((got = ::read(notify, events, sizeof events)) > 0) {
                for (char* p = events; p < events + got;) {
                    const auto* event = reinterpret_cast<inotify_event*>(p);
                    for (auto& line : lines)
                        for (PtyEnd* end : {&line->serial, &line->tap})
                            if (end->pty && end->watch == event->wd) end->hung = false;
                    p += sizeof(inotify_event) + event->len;
                }
            }
        }
        const Clock::time_point after = Clock::now();
        for (auto& line : lines) {
            if (line->serialIn.framer.Pending() &&
                after >= line->serialIn.lastByte +
                             Ms(RequestFramer::GapMs(line->serial.pty->Line().baud)))
                if (auto request = line->serialIn.framer.Flush())
                    handle(*line, *request, Source::Serial);
            if (line->rawIn.framer.Pending() &&
                after >= line->rawIn.lastByte + Ms(RequestFramer::GapMs(0)))
                if (auto request = line->rawIn.framer.Flush())
                    handle(*line, *request, Source::RawTcp);
            auto& replies = line->replies;
            std::stable_sort(replies.begin(), replies.end(),
                             [](const Reply& a, const Reply& b) { return a.due < b.due; });
            while (!replies.empty() && replies.front().due <= after) {
                const Reply reply = std::move(replies.front());
                replies.erase(replies.begin());
                if (reply.onBus) toTap(*line, reply.bytes);
                switch (reply.sink) {
                    case Sink::Serial:
                        line->serial.pty->Write(reply.bytes);
                        log(name(*line, Source::Serial), "->", reply.bytes, {}, false);
                        break;
                    case Sink::RawTcp:
                        line->raw->Write(reply.bytes);
                        log(name(*line, Source::RawTcp), "->", reply.bytes, {}, false);
                        break;
                    case Sink::ModbusTcp:
                        line->modbus->Write(reply.bytes);
                        log(name(*line, Source::ModbusTcp), "->", reply.bytes, {}, false);
                        line->modbusBusy = false;
                        break;
                    case Sink::BusOnly:
                        log(name(*line, Source::Serial), "-> (bus only)", reply.bytes, {}, false);
                        break;
                }
            }
            startModbus(*line);
        }
    }
    if (notify >= 0) ::close(notify);
    out << "znsim: stopped, links removed" << std::endl;
    return 0;
}
