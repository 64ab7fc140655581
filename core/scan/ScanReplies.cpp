#include "core/scan/ScanReplies.h"

#include "core/scan/ScanTexts.h"

namespace {
constexpr int kReadReplyBytes = 11;  // address, 03, 6, three words, CRC
constexpr int kExceptionBytes = 5;   // address, 83, code, CRC

bool CrcGood(const Frame& bytes, size_t at, size_t length) {
    const uint16_t crc = Crc16(bytes.data() + at, length - 2);
    return bytes[at + length - 2] == (crc & 0xFF) && bytes[at + length - 1] == (crc >> 8);
}

// The length of the well-formed reply to a register read that starts at `at`, or 0.
size_t ReplyAt(const Frame& bytes, size_t at) {
    const size_t left = bytes.size() - at;
    if (left >= kReadReplyBytes && bytes[at + 1] == 0x03 && bytes[at + 2] == 6 &&
        CrcGood(bytes, at, kReadReplyBytes))
        return kReadReplyBytes;
    if (left >= kExceptionBytes && bytes[at + 1] == 0x83 && CrcGood(bytes, at, kExceptionBytes))
        return kExceptionBytes;
    return 0;
}

int Word(const Frame& reply, int at) {
    return reply[at] << 8 | reply[at + 1];
}
}  // namespace

namespace ScanReplies {
ScanReplySplit Split(const Frame& bytes, const std::function<bool(int)>& probedBefore) {
    ScanReplySplit split;
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t length = ReplyAt(bytes, at);
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(at);
        if (length > 0 && probedBefore(bytes[at])) {
            split.late.emplace_back(begin, begin + static_cast<std::ptrdiff_t>(length));
        } else {
            const size_t kept = length > 0 ? length : 1;
            split.own.insert(split.own.end(), begin, begin + static_cast<std::ptrdiff_t>(kept));
        }
        at += length > 0 ? length : 1;
    }
    return split;
}

ScanRow LateRow(const Frame& reply, const SerialCandidate& heardAt, int responseMs) {
    ScanRow row;
    row.address = reply.at(0);
    row.heardAt = heardAt;
    row.responseMs = responseMs;
    row.slow = true;
    row.readable = reply.size() == kReadReplyBytes;
    if (row.readable)
        row.registers = {Word(reply, 3), Word(reply, 5), Word(reply, 7)};
    else
        row.problem = ScanTexts::Text(ScanTexts::ProblemException)
                          .arg(reply.size() > 2 ? reply[2] : 0, 2, 16, QChar('0'));
    return row;
}

int WaitToMeet(int responseMs) {
    // The default wait's margin again on top, in whole tens for a figure easy to type.
    constexpr int kRoomMs = 20;
    return (responseMs + kRoomMs + 9) / 10 * 10;
}
}  // namespace ScanReplies
