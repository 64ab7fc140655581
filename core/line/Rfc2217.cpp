#include "core/line/Rfc2217.h"

namespace Rfc2217 {
namespace {
constexpr uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                  kSe = 240;
constexpr uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;
constexpr uint8_t kSetBaud = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4;
constexpr uint8_t kServerOffset = 100;  // the gateway answers command n as n + 100

// Options we take up when offered or asked for: the rest are refused.
bool WeWill(uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}
bool TheyMay(uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

void Command(Bytes* out, uint8_t code, const Bytes& value) {
    out->insert(out->end(), {kIac, kSb, kComPort, code});
    const Bytes escaped = Escape(value.data(), value.size());
    out->insert(out->end(), escaped.begin(), escaped.end());
    out->insert(out->end(), {kIac, kSe});
}
}  // namespace

Bytes Decoder::Greeting() {
    saidWill_[kBinary] = saidWill_[kSuppressGoAhead] = saidWill_[kComPort] = true;
    saidDo_[kBinary] = saidDo_[kSuppressGoAhead] = true;
    return {kIac, kWill, kBinary,          kIac, kDo,   kBinary, kIac, kWill, kSuppressGoAhead,
            kIac, kDo,   kSuppressGoAhead, kIac, kWill, kComPort};
}

Acknowledged AcksOf(const LineSettings& settings) {
    return {static_cast<uint32_t>(settings.baud), settings.dataBits,
            settings.parity == 'O'   ? 2
            : settings.parity == 'E' ? 3
                                     : 1,
            settings.stopBits == 2 ? 2 : 1};
}

QString AcksText(const Acknowledged& acks) {
    const char parity = acks.parity == 1   ? 'N'
                        : acks.parity == 2 ? 'O'
                        : acks.parity == 3 ? 'E'
                                           : '?';
    return QStringLiteral("%1,%2,%3,%4")
        .arg(acks.baud)
        .arg(QLatin1Char(parity))
        .arg(acks.dataBits)
        .arg(acks.stopBits);
}

Bytes LineCommands(const LineSettings& settings) {
    Bytes out;
    const Acknowledged wanted = AcksOf(settings);
    Command(&out, kSetBaud,
            {static_cast<uint8_t>(wanted.baud >> 24), static_cast<uint8_t>(wanted.baud >> 16),
             static_cast<uint8_t>(wanted.baud >> 8), static_cast<uint8_t>(wanted.baud)});
    Command(&out, kSetDataSize, {static_cast<uint8_t>(wanted.dataBits)});
    Command(&out, kSetParity, {static_cast<uint8_t>(wanted.parity)});
    Command(&out, kSetStopSize, {static_cast<uint8_t>(wanted.stopBits)});
    return out;
}

Bytes Escape(const uint8_t* data, size_t size) {
    Bytes out;
    out.reserve(size + 4);
    for (size_t i = 0; i < size; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac) out.push_back(kIac);
    }
    return out;
}

bool Decoder::LineAcknowledged() const {
    return acks_.baud != 0 && acks_.dataBits != 0 && acks_.parity != 0 && acks_.stopBits != 0;
}

void Decoder::Feed(const uint8_t* raw, size_t size, Bytes* data, Bytes* reply) {
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = raw[i];
        switch (state_) {
            case State::Data:
                if (b == kIac)
                    state_ = State::Iac;
                else
                    data->push_back(b);
                break;
            case State::Iac:
                if (b == kIac) {
                    data->push_back(kIac);
                    state_ = State::Data;
                } else if (b == kSb) {
                    sub_.clear();
                    state_ = State::Sub;
                } else if (b >= kWill) {
                    verb_ = b;
                    state_ = State::Verb;
                } else {
                    state_ = State::Data;  // NOP, GA and the like carry nothing for us
                }
                break;
            case State::Verb:
                Negotiate(verb_, b, reply);
                state_ = State::Data;
                break;
            case State::Sub:
                if (b == kIac)
                    state_ = State::SubIac;
                else
                    sub_.push_back(b);
                break;
            case State::SubIac:
                if (b == kSe) {
                    Subnegotiation();
                    state_ = State::Data;
                } else {
                    sub_.push_back(b);  // IAC IAC inside: one 0xFF of the value
                    state_ = State::Sub;
                }
                break;
        }
    }
}

void Decoder::Negotiate(uint8_t verb, uint8_t option, Bytes* reply) {
    // Answer each option once: answering an answer would loop for ever.
    if (verb == kDo || verb == kDont) {
        if (saidWill_[option]) return;
        saidWill_[option] = true;
        const bool will = verb == kDo && WeWill(option);
        reply->insert(reply->end(), {kIac, will ? kWill : kWont, option});
    } else {
        if (saidDo_[option]) return;
        saidDo_[option] = true;
        const bool agree = verb == kWill && TheyMay(option);
        reply->insert(reply->end(), {kIac, agree ? kDo : kDont, option});
    }
}

void Decoder::Subnegotiation() {
    if (sub_.size() < 3 || sub_[0] != kComPort) return;
    const uint8_t code = sub_[1];
    if (code == kServerOffset + kSetBaud && sub_.size() >= 6)
        acks_.baud = uint32_t(sub_[2]) << 24 | uint32_t(sub_[3]) << 16 | uint32_t(sub_[4]) << 8 |
                     uint32_t(sub_[5]);
    else if (code == kServerOffset + kSetDataSize)
        acks_.dataBits = sub_[2];
    else if (code == kServerOffset + kSetParity)
        acks_.parity = sub_[2];
    else if (code == kServerOffset + kSetStopSize)
        acks_.stopBits = sub_[2];
}
}  // namespace Rfc2217
