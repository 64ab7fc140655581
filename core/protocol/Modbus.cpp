#include "core/protocol/Modbus.h"

#include <cstdlib>

uint16_t Crc16(const uint8_t* bytes, size_t count) {
    uint8_t lo = 0xFF, hi = 0xFF;
    for (size_t i = 0; i < count; ++i) {
        lo ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool hiLow = hi & 1, loLow = lo & 1;
            hi >>= 1;
            lo >>= 1;
            if (hiLow) lo |= 0x80;
            if (loLow) {
                hi ^= 0xA0;
                lo ^= 0x01;
            }
        }
    }
    return static_cast<uint16_t>(lo | hi << 8);
}

Frame AppendCrc16(const uint8_t* body, int n) {
    Frame out(body, body + n + 1);
    const uint16_t crc = Crc16(body, n + 1);
    out.push_back(crc & 0xFF);
    out.push_back(crc >> 8);
    return out;
}

namespace {
int DigitValue(QChar c) {
    if (c >= '0' && c <= '9') return c.unicode() - '0';
    if (c >= 'a' && c <= 'f') return c.unicode() - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c.unicode() - 'A' + 10;
    return -1;
}
}  // namespace

int HexDigitValue(const QString& text) {
    return text.isEmpty() ? -1 : DigitValue(text[0]);
}

QString SentTextOf(const Frame& frame) {
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(static_cast<int>(frame.size()) * 3);
    for (uint8_t byte : frame) {
        text += QLatin1Char(digits[byte >> 4]);
        text += QLatin1Char(digits[byte & 15]);
        text += QLatin1Char(' ');
    }
    return text;
}

QString FormatReceivedHex(const QString& hex) {
    QString text;
    text.reserve(hex.size() + hex.size() / 2 + 1);
    for (int i = 0; i < hex.size(); ++i) {
        const QChar c = hex[i];
        if (c == ']') {
            text += "<ACK>";
        } else if (c == '[') {
            text += "<NAK>";
        } else if (c < '0') {
            text += c == '\r' ? QStringLiteral("<CR>") : c == '\n' ? QStringLiteral("<LF>") : "@";
        } else {
            text += c;
        }
        if ((i + 1) % 2 == 0) text += ' ';
    }
    return text;
}

namespace {
Frame BytesOfView(QStringView text) {
    Frame bytes;
    bytes.reserve(text.size() / 2);
    int pending = -1;
    for (const QChar c : text) {
        const int value = DigitValue(c);
        if (value < 0) continue;
        if (pending < 0) {
            pending = value;
        } else {
            bytes.push_back(static_cast<uint8_t>(pending * 16 + value));
            pending = -1;
        }
    }
    return bytes;
}

bool CrcMatches(const Frame& bytes) {
    if (bytes.size() < 3) return false;
    const uint16_t crc = Crc16(bytes.data(), bytes.size() - 2);
    return bytes[bytes.size() - 2] == (crc & 0xFF) && bytes[bytes.size() - 1] == (crc >> 8);
}

bool IsExceptionReply(const Frame& reply, const Frame& request) {
    return reply.size() == 5 && request.size() >= 2 && request[1] < 0x80 &&
           reply[0] == request[0] && reply[1] == (request[1] | 0x80) && CrcMatches(reply);
}
}  // namespace

Frame BytesOfText(const QString& text) {
    return BytesOfView(text);
}

ReplyVerdict JudgeReply(const QString& receivedText, const QString& sentText, int expectedBytes) {
    if (receivedText.isEmpty()) return ReplyVerdict::NoReply;
    const Frame bytes = BytesOfText(receivedText);
    const QStringView received(receivedText), sent(sentText);
    const Frame request = BytesOfView(sent.left(6));
    if (IsExceptionReply(bytes, request)) return ReplyVerdict::Exception;
    // A reply cut short points to timing or wiring, whatever its last two bytes hold; noise in
    // one of full length to the line. Only a well-formed frame can be from another module or for
    // another function: a burst that happens to differ in its first byte is noise.
    if (receivedText.size() < 3 * expectedBytes) return ReplyVerdict::TooShort;
    const bool wellFormed =
        receivedText.size() == 3 * static_cast<int>(bytes.size()) && CrcMatches(bytes);
    if (!wellFormed) return ReplyVerdict::BadCrc;
    if (receivedText.size() > 3 * expectedBytes) return ReplyVerdict::TooLong;
    if (sentText.size() < 6 || received.left(2) != sent.left(2)) return ReplyVerdict::WrongAddress;
    if (received.mid(2, 4) != sent.mid(2, 4)) return ReplyVerdict::WrongFunction;
    return ReplyVerdict::Accepted;
}

ReplyVerdict JudgeReply(const QString& receivedText, const QString& sentText,
                        const std::vector<int>& expectedBytes) {
    if (expectedBytes.empty()) return JudgeReply(receivedText, sentText, 0);
    // Against the expected length nearest to what came: a 9-byte reply to "8 or 17" is too long.
    int nearest = expectedBytes.front();
    const int got = static_cast<int>(receivedText.size()) / 3;
    for (int bytes : expectedBytes) {
        if (JudgeReply(receivedText, sentText, bytes) == ReplyVerdict::Accepted)
            return ReplyVerdict::Accepted;
        if (std::abs(bytes - got) < std::abs(nearest - got)) nearest = bytes;
    }
    return JudgeReply(receivedText, sentText, nearest);
}

int RegisterOfReply(const QString& receivedText, int k) {
    const int at = 9 + 6 * k;  // position 10 + 6k counted from 1
    if (receivedText.size() < at + 5) return 0;
    int value = 0;
    for (int offset : {0, 1, 3, 4}) {
        const int digit = DigitValue(receivedText[at + offset]);
        value = value * 16 + (digit < 0 ? 0 : digit);
    }
    return value;
}

std::optional<uint8_t> ParseAddressText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 9) return std::nullopt;
    for (QChar c : trimmed)
        if (c < '0' || c > '9') return std::nullopt;
    const int value = trimmed.toInt();
    if (value > 255) return std::nullopt;
    return static_cast<uint8_t>(value);
}

Frame ReadRequest(uint8_t address, uint8_t function, int start, int count) {
    return {address, function, HighByte(start), LowByte(start), HighByte(count), LowByte(count)};
}

Frame WriteRegisterRequest(uint8_t address, int reg, int value) {
    return {address, 0x06, HighByte(reg), LowByte(reg), HighByte(value), LowByte(value)};
}
