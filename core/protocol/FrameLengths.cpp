#include "core/protocol/FrameLengths.h"

namespace FrameLengths {
int Request(const uint8_t* bytes, size_t count) {
    if (count < 2) return kNeedMore;
    switch (bytes[1]) {
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x08:
            return 8;
        case 0x07:
        case 0x0B:
        case 0x0C:
        case 0x11:
            return 4;
        case 0x0F:
        case 0x10:
            return count < 7 ? kNeedMore : 9 + bytes[6];
        case 0x16:
            return 10;
        case 0x17:
            return count < 11 ? kNeedMore : 13 + bytes[10];
        default:
            return kUnknown;
    }
}

int Reply(const uint8_t* bytes, size_t count) {
    if (count < 2) return kNeedMore;
    if (bytes[1] & 0x80) return 5;  // an exception: address, function | 0x80, code, CRC
    switch (bytes[1]) {
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x0C:
        case 0x11:
        case 0x17:
            return count < 3 ? kNeedMore : 5 + bytes[2];
        case 0x05:
        case 0x06:
        case 0x08:
        case 0x0B:
        case 0x0F:
        case 0x10:
            return 8;
        case 0x07:
            return 5;
        case 0x16:
            return 10;
        default:
            return kUnknown;
    }
}

std::vector<int> ReplyTo(const Frame& request) {
    if (request.size() < 8) return {};
    const int count = (request[4] << 8) | request[5];
    switch (request[1]) {
        case 0x01:
        case 0x02:
            return {5 + (count + 7) / 8};
        case 0x03:
        case 0x04:
            return {5 + 2 * count};
        case 0x05:
        case 0x06:
        case 0x08:
        case 0x0F:
        case 0x10:
            return {8};
        default:
            return {};
    }
}
}  // namespace FrameLengths
