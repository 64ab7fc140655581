// The simulator's side of the line: bytes arriving in chunks, cut into requests by the framer
// (by length, or at a silent gap) and answered by a bus of every model. The input is a set-up
// byte, a time byte, then chunks: a control byte (low 7 bits the chunk's length, the high bit a
// silent gap after it) followed by the chunk's bytes.
#include <vector>

#include "sim/LineCode.h"
#include "sim/ModelTable.h"
#include "sim/RequestFramer.h"
#include "sim/SimBus.h"
#include "tests/fuzz/FuzzTargets.h"

namespace {
struct BusSetUp {
    LineState line;
    bool sharedAddress;  // every module at address 1: replies collide
    bool faults;
};

BusSetUp SetUpOf(uint8_t byte) {
    static const LineState lines[4] = {{9600, false}, {9600, true}, {19200, false}, {4800, false}};
    return {lines[byte & 3], (byte & 4) != 0, ((byte >> 3) & 7) != 0};
}

SimBus MakeBus(uint8_t byte, const BusSetUp& setUp) {
    std::vector<ModuleConfig> modules;
    int address = 1;
    for (const ModelInfo& model : Models()) {
        ModuleConfig config;
        config.model = &model;
        config.address = setUp.sharedAddress ? 1 : address++;
        if (setUp.faults && modules.empty()) {
            FaultRule rule;
            rule.kind = static_cast<FaultKind>(((byte >> 3) & 7) - 1);
            rule.every = 1 + (byte >> 6);
            config.faults.push_back(rule);
        }
        modules.push_back(config);
    }
    return SimBus(modules, 1);
}

bool CrcHolds(const Frame& frame) {
    if (frame.size() < 3) return false;
    const uint16_t crc = Crc16(frame.data(), frame.size() - 2);
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == crc >> 8;
}

// The length a complete request with this function code has, 0 when only a gap ends it.
size_t LengthOfFunction(const Frame& frame) {
    if (frame[1] >= 1 && frame[1] <= 6) return 8;
    if ((frame[1] == 0x0F || frame[1] == 0x10) && frame.size() >= 7) return 9u + frame[6];
    return 0;
}

void CheckExchange(SimBus& bus, const BusSetUp& setUp, const Frame& request, double seconds) {
    // Who should answer, from the modules' state before the request (writes can move a module
    // to another address or line): the strict checks hold when one module without faults does.
    int answerers = 0, answerer = -1;
    for (int i = 0; i < bus.Size(); ++i) {
        const SimModule& module = bus.Module(i);
        const bool hears = module.Line().baud == setUp.line.baud &&
                           (module.Line().parity == 'O') == setUp.line.oddParity;
        if (hears && request[0] != 0 && module.Address() == request[0]) ++answerers, answerer = i;
    }
    const BusExchange exchange = bus.Exchange(request, setUp.line, seconds);
    const bool frame = request.size() >= 4 && CrcHolds(request);
    if (!frame) FuzzCheck(!exchange.Answered(), "a broken request is not answered");
    if (request[0] != 0 && answerers == 0)
        FuzzCheck(!exchange.Answered(), "nobody answers an address no module has");
    const bool one = answerers == 1 && !(setUp.faults && answerer == 0);
    if (one) FuzzCheck(exchange.replies.size() <= 1, "one module answers its address");
    for (const Transmission& reply : exchange.replies) {
        FuzzCheck(reply.delayMs > 0, "a reply takes time");
        if (!one) continue;
        FuzzCheck(reply.bytes.size() <= 256, "a reply fits an RTU frame");
        FuzzCheck(CrcHolds(reply.bytes), "a reply carries its CRC");
        FuzzCheck(reply.bytes[0] == request[0], "a reply repeats the address");
        const bool exception = reply.bytes[1] == (request[1] | 0x80);
        FuzzCheck(reply.bytes[1] == request[1] || exception, "a reply repeats the function");
        if (exception) {
            FuzzCheck(reply.bytes.size() == 5 && reply.bytes[2] >= 1 && reply.bytes[2] <= 4,
                      "an exception reply carries its code");
        } else if (request[1] == 0x03) {
            const size_t count = request[4] << 8 | request[5];
            FuzzCheck(reply.bytes.size() == 5 + 2 * count, "a register read answers each register");
        } else if (request[1] == 0x06) {
            FuzzCheck(reply.bytes == request, "a single write is echoed");
        }
    }
    for (int i = 0; i < bus.Size(); ++i) {
        SimModule& module = bus.Module(i);
        FuzzCheck(module.Address() >= 1 && module.Address() <= 254, "a module keeps an address");
        FuzzCheck(LineOfCode(module.Code()).has_value(), "a module keeps a line it can use");
    }
}
}  // namespace

int FuzzSimFramer(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const BusSetUp setUp = SetUpOf(data[0]);
    SimBus bus = MakeBus(data[0], setUp);
    const double seconds = data[1] * 0.37;
    RequestFramer framer;
    Frame fed, framed;
    auto take = [&](const Frame& request, bool byLength) {
        FuzzCheck(!request.empty(), "no empty request");
        if (byLength) {
            FuzzCheck(request.size() >= 2 && LengthOfFunction(request) == request.size(),
                      "a request cut by length has its function's length");
        }
        framed.insert(framed.end(), request.begin(), request.end());
        CheckExchange(bus, setUp, request, seconds);
    };
    for (size_t at = 2; at < size;) {
        const uint8_t control = data[at++];
        const size_t length = std::min<size_t>(control & 0x7F, size - at);
        fed.insert(fed.end(), data + at, data + at + length);
        for (const Frame& request : framer.Feed(data + at, length)) take(request, true);
        at += length;
        if (control & 0x80)
            if (auto request = framer.Flush()) take(*request, false);
        FuzzCheck(framer.Pending() == (framed.size() < fed.size()), "pending means bytes held");
    }
    if (auto request = framer.Flush()) take(*request, false);
    FuzzCheck(framed == fed, "every byte ends in exactly one request, in order");
    FuzzCheck(!framer.Pending(), "a flush leaves nothing");
    return 0;
}
