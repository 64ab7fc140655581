#include "sim/SimModule.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr double kPi = 3.14159265358979323846;

// A slow wave around `centre`, different per channel, so readings move like a real plant.
double Drift(int channel, double seconds, double amplitude, double periodSeconds) {
    return amplitude * std::sin(2 * kPi * seconds / periodSeconds + channel * 0.9);
}

uint16_t Clamp16(long value) {
    return static_cast<uint16_t>(std::clamp(value, 0L, 65535L));
}

int Word(const Frame& body, int at) {
    return body[at] << 8 | body[at + 1];
}

void PutWord(Frame& frame, int value) {
    frame.push_back(HighByte(value));
    frame.push_back(LowByte(value));
}
}  // namespace

SimModule::SimModule(const ModelInfo& model, int address, int code)
    : model_(&model),
      address_(address),
      code_(code),
      line_(LineOfCode(code).value_or(ModuleLine{})) {
    const bool outputs = model.outputs > 0;
    if (model.channels > 0) regions_.push_back({0, model.channels, false, Source::Measurement});
    if (outputs) regions_.push_back({0, model.outputs, true, Source::Stored});
    regions_.push_back({48, 6, true, Source::Stored});       // output calibration, low then high
    regions_.push_back({100, 2, true, Source::Stored});      // address, parameter code
    regions_.push_back({102, 1, false, Source::Model});      // model code
    regions_.push_back({103, 1, false, Source::Version});    // firmware version
    regions_.push_back({104, 12, true, Source::Stored});     // further system settings
    regions_.push_back({1000, 16, true, Source::Stored});    // gain adjustment per channel
    regions_.push_back({1100, 1, true, Source::Clear});      // clear command
    regions_.push_back({1280, 16, false, Source::Float});    // readings as float pairs
    regions_.push_back({1344, 16, true, Source::Stored});    // sensor ranges
    regions_.push_back({1536, 5, true, Source::Stored});     // PWM
    regions_.push_back({2048, 16, false, Source::Count16});  // input pulse counts
    regions_.push_back({2304, 32, false, Source::Count32});  // the same as 32-bit pairs

    for (int i = 0; i < model.outputs; ++i) stored_[i] = static_cast<uint16_t>(model.outputDefault);
    // Calibration points near the converter's 4 mA and 20 mA counts, slightly apart per channel.
    for (int i = 0; i < 3; ++i) {
        stored_[48 + i] = static_cast<uint16_t>(3820 + 7 * i);
        stored_[51 + i] = static_cast<uint16_t>(19100 + 11 * i);
    }
    stored_[100] = static_cast<uint16_t>(address);
    stored_[101] = static_cast<uint16_t>(code);
    coils_.assign(model.coils, false);
}

uint16_t SimModule::Measurement(const ModelInfo& model, int channel, double seconds) {
    switch (model.measures) {
        case Measures::Rtd: {
            const double celsius = 18 + 4 * channel + Drift(channel, seconds, 1.5, 40);
            return Clamp16(std::lround((celsius + 55) * 10));
        }
        case Measures::DsSensors: {
            if (channel == model.channels - 1) return 65535;  // nothing plugged in
            if (channel == 1) {                               // a sensor in a freezer
                const double celsius = -12 + Drift(channel, seconds, 0.8, 50);
                return Clamp16(10000 + std::lround(-celsius * 10));
            }
            return Clamp16(std::lround((20 + 2 * channel + Drift(channel, seconds, 1.0, 45)) * 10));
        }
        case Measures::Counts:
            return Clamp16(std::lround(819 + 450 * channel + Drift(channel, seconds, 60, 30)));
        case Measures::WholeDegrees:
            if (channel == model.channels - 1) return 1500;  // open sensor input
            return Clamp16(std::lround(22 + 3 * channel + Drift(channel, seconds, 2, 60)));
        case Measures::Nothing:
            break;
    }
    return 0;
}

double SimModule::EngineeringValue(const ModelInfo& model, uint16_t raw) {
    switch (model.measures) {
        case Measures::Rtd:
            return raw / 10.0 - 55;
        case Measures::DsSensors:
            if (raw == 65535) return 0;
            return raw >= 10000 ? -(raw - 10000) / 10.0 : raw / 10.0;
        case Measures::Counts:
            return raw * model.fullScale / 4095;
        case Measures::WholeDegrees:
            return raw > 1000 ? 0 : raw;
        case Measures::Nothing:
            break;
    }
    return 0;
}

bool SimModule::Input(int index, double seconds) const {
    // Input i flips every 1 + i/2 seconds.
    const double period = 1.0 + 0.5 * index;
    return static_cast<long>(std::floor(seconds / period)) % 2 == 1;
}

uint32_t SimModule::InputEdges(int index, double seconds) const {
    if (index >= model_->inputs) return 0;
    const double period = 1.0 + 0.5 * index;
    return static_cast<uint32_t>(std::floor((seconds / period + 1) / 2));
}

const SimModule::Region* SimModule::RegionOf(int number) const {
    // Output registers come after the measurement region, so a model has one or the other at 0.
    for (const Region& region : regions_)
        if (number >= region.first && number < region.first + region.count) return &region;
    return nullptr;
}

std::optional<uint16_t> SimModule::Register(int number, double seconds) const {
    const Region* region = RegionOf(number);
    if (!region) return std::nullopt;
    const int offset = number - region->first;
    switch (region->source) {
        case Source::Stored:
            return stored_.count(number) ? stored_.at(number) : 0;
        case Source::Measurement:
            return Measurement(*model_, offset, seconds);
        case Source::Model:
            return static_cast<uint16_t>(model_->code);
        case Source::Version:
            return static_cast<uint16_t>(kVersion);
        case Source::Clear:
            return 0;
        case Source::Float: {
            const int channel = offset / 2;
            float value = 0;
            if (channel < model_->channels)
                value = static_cast<float>(
                    EngineeringValue(*model_, Measurement(*model_, channel, seconds)));
            uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            return static_cast<uint16_t>(offset % 2 == 0 ? bits >> 16 : bits & 0xFFFF);
        }
        case Source::Count16:
            return static_cast<uint16_t>(InputEdges(offset, seconds) & 0xFFFF);
        case Source::Count32: {
            const int input = offset / 2;
            // A totaliser that did not start at zero, so the high word is seen to work.
            const uint32_t count =
                input < model_->inputs ? 100000u * (input + 1) + InputEdges(input, seconds) : 0;
            return static_cast<uint16_t>(offset % 2 == 0 ? count >> 16 : count & 0xFFFF);
        }
    }
    return std::nullopt;
}

uint8_t SimModule::CheckWrite(int number, uint16_t value) const {
    const Region* region = RegionOf(number);
    if (!region || !region->writable) return kIllegalAddress;
    if ((number == 100 || number == 101) && writes_ == ParameterWrites::Refuses)
        return kDeviceFailure;
    if (number == 100 && (value < 1 || value > 254)) return kIllegalValue;
    if (number == 101 && !LineOfCode(value)) return kIllegalValue;
    return 0;
}

void SimModule::Write(int number, uint16_t value) {
    if (RegionOf(number)->source == Source::Clear) {
        for (int i = 1000; i < 1016; ++i) stored_[i] = 0;  // gains back to factory state
        return;
    }
    if (number == 100 || number == 101) {
        if (writes_ == ParameterWrites::Ignores) return;
        if (takeMs_ > 0) {
            pending_.push_back({number, value, wallSeconds_ + takeMs_ / 1000.0});
            return;
        }
    }
    Take(number, value);
}

void SimModule::Take(int number, uint16_t value) {
    stored_[number] = value;
    if (number == 100) address_ = value;
    if (number == 101) {
        code_ = value;  // kept as written, so a short code reads back short
        line_ = *LineOfCode(value);
    }
}

void SimModule::SetParameterWrites(ParameterWrites writes, int takeMs) {
    writes_ = writes;
    takeMs_ = std::max(takeMs, 0);
}

void SimModule::Settle(double wallSeconds) {
    wallSeconds_ = wallSeconds;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due > wallSeconds) {
            ++it;
            continue;
        }
        Take(it->number, it->value);
        it = pending_.erase(it);
    }
}

Frame SimModule::ReadRegisters(const Frame& body, double seconds, uint8_t* error) const {
    if (body.size() != 6) return *error = kIllegalValue, Frame{};
    const int start = Word(body, 2);
    const int count = Word(body, 4);
    if (count < 1 || count > 125) return *error = kIllegalValue, Frame{};
    Frame reply{body[0], body[1], static_cast<uint8_t>(2 * count)};
    for (int i = 0; i < count; ++i) {
        const auto value = Register(start + i, seconds);
        if (!value) return *error = kIllegalAddress, Frame{};
        PutWord(reply, *value);
    }
    return reply;
}

Frame SimModule::ReadBits(const Frame& body, double seconds, uint8_t* error) const {
    const bool coils = body[1] == 0x01;
    const int available = coils ? model_->coils : model_->inputs;
    if (available == 0) return *error = kIllegalFunction, Frame{};
    if (body.size() != 6) return *error = kIllegalValue, Frame{};
    const int start = Word(body, 2);
    const int count = Word(body, 4);
    if (count < 1 || count > 2000) return *error = kIllegalValue, Frame{};
    if (start + count > available) return *error = kIllegalAddress, Frame{};
    Frame reply{body[0], body[1], static_cast<uint8_t>((count + 7) / 8)};
    reply.resize(3 + reply[2], 0);
    for (int i = 0; i < count; ++i) {
        const bool on = coils ? coils_[start + i] : Input(start + i, seconds);
        if (on) reply[3 + i / 8] |= static_cast<uint8_t>(1 << (i % 8));
    }
    return reply;
}

Frame SimModule::WriteSingle(const Frame& body, uint8_t* error) {
    if (body.size() != 6) return *error = kIllegalValue, Frame{};
    const int number = Word(body, 2);
    const auto value = static_cast<uint16_t>(Word(body, 4));
    if ((*error = CheckWrite(number, value)) != 0) return {};
    Write(number, value);
    return body;  // the echo
}

Frame SimModule::WriteMultiple(const Frame& body, uint8_t* error) {
    if (body.size() < 7) return *error = kIllegalValue, Frame{};
    const int start = Word(body, 2);
    const int count = Word(body, 4);
    if (count < 1 || count > 123 || body[6] != 2 * count || body.size() != 7u + 2 * count)
        return *error = kIllegalValue, Frame{};
    for (int i = 0; i < count; ++i)
        if ((*error = CheckWrite(start + i, static_cast<uint16_t>(Word(body, 7 + 2 * i)))) != 0)
            return {};
    for (int i = 0; i < count; ++i) Write(start + i, static_cast<uint16_t>(Word(body, 7 + 2 * i)));
    return Frame(body.begin(), body.begin() + 6);
}

Frame SimModule::WriteCoils(const Frame& body, uint8_t* error) {
    if (model_->coils == 0) return *error = kIllegalFunction, Frame{};
    if (body.size() < 7) return *error = kIllegalValue, Frame{};
    const int start = Word(body, 2);
    const int count = Word(body, 4);
    if (count < 1 || count > 1968 || body[6] != (count + 7) / 8 || body.size() != 7u + body[6])
        return *error = kIllegalValue, Frame{};
    if (start + count > model_->coils) return *error = kIllegalAddress, Frame{};
    for (int i = 0; i < count; ++i) coils_[start + i] = (body[7 + i / 8] >> (i % 8)) & 1;
    return Frame(body.begin(), body.begin() + 6);
}

ModuleAnswer SimModule::Handle(const Frame& body, double seconds) {
    if (body.size() < 2) return {};
    const bool broadcast = body[0] == 0;
    if (!broadcast && body[0] != address_) return {};
    uint8_t error = 0;
    Frame reply;
    switch (body[1]) {
        case 0x01:
        case 0x02:
            reply = ReadBits(body, seconds, &error);
            break;
        case 0x03:
            reply = ReadRegisters(body, seconds, &error);
            break;
        case 0x06:
            reply = WriteSingle(body, &error);
            break;
        case 0x0F:
            reply = WriteCoils(body, &error);
            break;
        case 0x10:
            reply = WriteMultiple(body, &error);
            break;
        default:
            error = kIllegalFunction;
    }
    // A broadcast is carried out by every module; this family answers the broadcast register
    // read and single-register write (parameter read, address change), with address 0.
    if (broadcast && (error != 0 || (body[1] != 0x03 && body[1] != 0x06))) return {};
    if (error != 0) reply = {body[0], static_cast<uint8_t>(body[1] | 0x80), error};
    return {true, AppendCrc16(reply)};
}
