#include "core/protocol/ModbusTcpCodec.h"

#include "core/protocol/Modbus.h"

namespace ModbusTcp {
namespace {
constexpr size_t kHeader = 6;       // transaction, protocol, length
constexpr size_t kMaxLength = 254;  // unit and the longest PDU
}  // namespace

Bytes Wrap(uint16_t transaction, const uint8_t* rtu, size_t size) {
    if (size < 4) return {};
    const size_t length = size - 2;  // unit and PDU, without the CRC
    Bytes frame{static_cast<uint8_t>(transaction >> 8), static_cast<uint8_t>(transaction), 0, 0,
                static_cast<uint8_t>(length >> 8),      static_cast<uint8_t>(length)};
    frame.insert(frame.end(), rtu, rtu + length);
    return frame;
}

void Reader::Feed(const uint8_t* raw, size_t size) {
    pending_.insert(pending_.end(), raw, raw + size);
}

std::optional<Reply> Reader::Next() {
    if (pending_.size() < kHeader) return std::nullopt;
    const size_t length = size_t(pending_[4]) << 8 | pending_[5];
    if (pending_[2] != 0 || pending_[3] != 0 || length < 2 || length > kMaxLength) {
        pending_.clear();
        return std::nullopt;
    }
    if (pending_.size() < kHeader + length) return std::nullopt;
    Reply reply;
    reply.transaction = static_cast<uint16_t>(pending_[0] << 8 | pending_[1]);
    reply.mbap.assign(pending_.begin(), pending_.begin() + kHeader + length);
    pending_.erase(pending_.begin(), pending_.begin() + kHeader + length);
    reply.rtu.assign(reply.mbap.begin() + kHeader, reply.mbap.end());
    const uint16_t crc = Crc16(reply.rtu.data(), reply.rtu.size());
    reply.rtu.push_back(static_cast<uint8_t>(crc & 0xFF));
    reply.rtu.push_back(static_cast<uint8_t>(crc >> 8));
    return reply;
}
}  // namespace ModbusTcp
