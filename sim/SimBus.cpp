#include "sim/SimBus.h"

#include <algorithm>

SimBus::SimBus(const std::vector<ModuleConfig>& modules, uint32_t seed) {
    uint32_t n = 0;
    for (const ModuleConfig& config : modules) {
        modules_.push_back({SimModule(*config.model, config.address, config.code),
                            FaultInjector(config.faults, seed + 7919 * n++)});
        modules_.back().module.SetParameterWrites(config.writes, config.takeMs);
        if (config.talksAt) modules_.back().module.SetLine(*config.talksAt);
    }
}

void SimBus::MakeBench(const BenchTiming& timing) {
    bench_ = true;
    timing_ = timing;
    index_ = 0;
    on_ = !modules_.empty();
    since_ = 0;
    written_ = -1;
    reached_ = -1;
}

void SimBus::AdvanceBench(double wall, std::vector<std::string>* notes) {
    if (!bench_) return;
    for (;;) {
        if (on_) {
            // Never reached by the program, it waits for it however long that takes.
            if (written_ < 0 && reached_ < 0) return;
            const double leaves = written_ >= 0 ? written_ + timing_.holdMs / 1000.0
                                                : reached_ + timing_.pauseMs / 1000.0;
            if (wall < leaves) return;
            notes->push_back("bench: " + ModuleLabel(modules_[index_].module) + " taken off");
            on_ = false;
            since_ = leaves;  // from now on: when the bench became empty
            continue;
        }
        const double comes = since_ + timing_.gapMs / 1000.0;
        if (index_ + 1 >= Size() || wall < comes) return;
        ++index_;
        on_ = true;
        since_ = comes;
        written_ = -1;
        reached_ = -1;
        notes->push_back("bench: " + ModuleLabel(modules_[index_].module) + " connected");
    }
}

std::string ModuleLabel(const SimModule& module) {
    return module.Model().name + "@" + std::to_string(module.Address());
}

namespace {
std::string LineText(const ModuleLine& line) {
    return std::to_string(line.baud) + "," + line.parity;
}

bool Hears(const SimModule& module, LineState line) {
    if (line.anySettings) return true;
    return module.Line().baud == line.baud && (module.Line().parity == 'O') == line.oddParity;
}
}  // namespace

BusExchange SimBus::Exchange(const Frame& request, LineState line, double seconds,
                             double wallSeconds) {
    BusExchange out;
    const double wall = wallSeconds >= 0 ? wallSeconds : seconds;
    AdvanceBench(wall, &out.notes);
    if (request.size() < 4 ||
        Crc16(request.data(), request.size() - 2) !=
            (request[request.size() - 2] | request[request.size() - 1] << 8)) {
        out.notes.push_back("not a frame (length or CRC), ignored");
        return out;
    }
    const Frame body(request.begin(), request.end() - 2);
    std::vector<Frame> onTime;
    double onTimeDelay = 0;
    std::vector<Transmission> late;
    char parity = 'N';
    for (int index = 0; index < Size(); ++index) {
        if (bench_ && (!on_ || index != index_)) continue;
        Member& member = modules_[index];
        SimModule& module = member.module;
        module.Settle(wall);
        const bool addressed = body[0] == 0 || body[0] == module.Address();
        if (!Hears(module, line)) {
            if (addressed)
                out.notes.push_back(ModuleLabel(module) + " hears noise: line " +
                                    std::to_string(line.baud) + (line.oddParity ? ",O" : "") +
                                    ", module " + LineText(module.Line()));
            continue;
        }
        if (bench_ && reached_ < 0) reached_ = wall;
        const ModuleLine heardAt = module.Line();  // a parameter change answers at the old line
        const std::string label = ModuleLabel(module);
        ModuleAnswer answer = module.Handle(body, seconds);
        if (!answer.answers) continue;
        // A write it took (not an exception) starts its time to leave the bench.
        if (bench_ && (body[1] == 0x06 || body[1] == 0x10) && !(answer.reply[1] & 0x80))
            written_ = wall;
        FaultedReply faulted = member.faults.Apply(answer.reply);
        if (!faulted.fault.empty()) out.notes.push_back(label + " fault " + faulted.fault);
        if (faulted.silent) continue;
        const double delay = WireMs(static_cast<int>(request.size()), heardAt) + kTurnaroundMs +
                             WireMs(static_cast<int>(faulted.bytes.size()), heardAt);
        if (faulted.extraDelayMs > 0) {
            late.push_back({faulted.bytes, delay + faulted.extraDelayMs});
            continue;
        }
        onTime.push_back(faulted.bytes);
        onTimeDelay = std::max(onTimeDelay, delay);
        parity = heardAt.parity;
    }
    if (onTime.size() == 1) out.replies.push_back({onTime.front(), onTimeDelay});
    if (onTime.size() > 1) {
        out.notes.push_back(std::to_string(onTime.size()) + " modules answer at once: collision");
        out.replies.push_back({Collide(onTime, parity), onTimeDelay});
    }
    std::sort(late.begin(), late.end(),
              [](const Transmission& a, const Transmission& b) { return a.delayMs < b.delayMs; });
    out.replies.insert(out.replies.end(), late.begin(), late.end());
    return out;
}

Frame Collide(const std::vector<Frame>& replies, char parity) {
    const int bitsPerChar = BitsPerCharacter(parity);
    constexpr int kSkewBits = 3;  // each further driver starts this much later
    size_t length = 0;
    for (size_t k = 0; k < replies.size(); ++k)
        length = std::max(length, k * kSkewBits + replies[k].size() * bitsPerChar);
    std::vector<int> line(length + bitsPerChar, 1);
    for (size_t k = 0; k < replies.size(); ++k) {
        size_t at = k * kSkewBits;
        for (uint8_t byte : replies[k]) {
            line[at] = 0;  // start bit
            int ones = 0;
            for (int b = 0; b < 8; ++b) {
                const int bit = (byte >> b) & 1;
                line[at + 1 + b] &= bit;
                ones += bit;
            }
            if (bitsPerChar == 11) line[at + 9] &= ((parity == 'E') == (ones % 2 == 1)) ? 1 : 0;
            at += bitsPerChar;  // the stop bit stays high unless another driver pulls it
        }
    }
    Frame heard;
    for (size_t i = 0; i + bitsPerChar <= line.size();) {
        if (line[i] == 1) {
            ++i;
            continue;
        }
        uint8_t byte = 0;
        for (int b = 0; b < 8; ++b) byte |= static_cast<uint8_t>(line[i + 1 + b] << b);
        heard.push_back(byte);  // a framing error still delivers the character
        i += bitsPerChar;
    }
    return heard;
}
