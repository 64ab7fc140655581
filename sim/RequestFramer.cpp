#include "sim/RequestFramer.h"

#include <algorithm>

namespace {
// Length of the request at the front of `bytes`: 0 while it cannot be told yet, SIZE_MAX when
// only the gap can end it.
size_t ExpectedLength(const Frame& bytes) {
    if (bytes.size() < 2) return 0;
    switch (bytes[1]) {
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x06:
            return 8;
        case 0x0F:
        case 0x10:
            return bytes.size() < 7 ? 0 : 9u + bytes[6];
        default:
            return SIZE_MAX;
    }
}
}  // namespace

std::vector<Frame> RequestFramer::Feed(const uint8_t* data, size_t count) {
    buffer_.insert(buffer_.end(), data, data + count);
    std::vector<Frame> frames;
    for (;;) {
        const size_t length = ExpectedLength(buffer_);
        if (length == 0 || length == SIZE_MAX || buffer_.size() < length) break;
        frames.emplace_back(buffer_.begin(), buffer_.begin() + length);
        buffer_.erase(buffer_.begin(), buffer_.begin() + length);
    }
    return frames;
}

std::optional<Frame> RequestFramer::Flush() {
    if (buffer_.empty()) return std::nullopt;
    Frame frame;
    frame.swap(buffer_);
    return frame;
}

double RequestFramer::GapMs(int baud) {
    if (baud <= 0) return 5.0;
    return std::max(2.0, 3.5 * 11 * 1000.0 / baud);
}
