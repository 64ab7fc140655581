#include "sim/ModbusTcp.h"

#include <algorithm>

namespace {
constexpr size_t kHeader = 6;        // transaction id, protocol id, length; the unit id is counted
constexpr int kLongestLength = 254;  // unit id and the longest PDU, 253 bytes

Frame Mbap(const Frame& request, const Frame& pdu) {
    const int length = static_cast<int>(pdu.size()) + 1;
    Frame mbap(kHeader + 1 + pdu.size());
    mbap[0] = request[0];  // the transaction id goes back as it came
    mbap[1] = request[1];
    mbap[4] = HighByte(length);
    mbap[5] = LowByte(length);
    mbap[6] = request[6];
    std::copy(pdu.begin(), pdu.end(), mbap.begin() + kHeader + 1);
    return mbap;
}

bool FromUnit(const Frame& reply, uint8_t unit, uint8_t function) {
    return reply.size() >= 5 && reply[0] == unit && (reply[1] & 0x7F) == function &&
           Crc16(reply.data(), reply.size() - 2) ==
               (reply[reply.size() - 2] | reply[reply.size() - 1] << 8);
}
}  // namespace

bool MbapFramer::Feed(const uint8_t* data, size_t count, std::vector<Frame>* frames) {
    buffer_.insert(buffer_.end(), data, data + count);
    while (buffer_.size() >= kHeader) {
        const int protocol = buffer_[2] << 8 | buffer_[3];
        const int length = buffer_[4] << 8 | buffer_[5];
        if (protocol != 0 || length < 2 || length > kLongestLength) return false;
        if (buffer_.size() < kHeader + length) break;
        frames->emplace_back(buffer_.begin(), buffer_.begin() + kHeader + length);
        buffer_.erase(buffer_.begin(), buffer_.begin() + kHeader + length);
    }
    return true;
}

Frame RtuOfMbap(const Frame& mbap) {
    return AppendCrc16(Frame(mbap.begin() + kHeader, mbap.end()));
}

GatewayAnswer AnswerOfGateway(const Frame& mbap, const BusExchange& exchange) {
    const uint8_t unit = mbap[6];
    const uint8_t function = mbap[7];
    GatewayAnswer answer;
    for (const Transmission& reply : exchange.replies) {
        if (reply.delayMs > kGatewayWaitMs) break;
        if (!FromUnit(reply.bytes, unit, function)) {
            answer.note =
                "gateway drops a reply that is no frame from unit " + std::to_string(unit);
            continue;
        }
        answer.mbap = Mbap(mbap, Frame(reply.bytes.begin() + 1, reply.bytes.end() - 2));
        answer.delayMs = reply.delayMs;
        answer.note.clear();
        return answer;
    }
    answer.mbap = Mbap(mbap, {static_cast<uint8_t>(function | 0x80), 0x0B});
    answer.delayMs = kGatewayWaitMs;
    if (answer.note.empty()) answer.note = "no reply";
    answer.note += ": gateway answers exception 0B after " +
                   std::to_string(static_cast<int>(kGatewayWaitMs)) + " ms";
    return answer;
}
