#pragma once
// Modbus RTU framing and the hex texts in which frames are shown and replies judged.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

using Frame = std::vector<uint8_t>;

// The body 0..n followed by the CRC-16/MODBUS, low byte first. The input is not changed.
Frame AppendCrc16(const uint8_t* body, int n);
inline Frame AppendCrc16(const Frame& body) {
    return AppendCrc16(body.data(), static_cast<int>(body.size()) - 1);
}
// CRC-16/MODBUS of a byte run (low byte in bits 0..7).
uint16_t Crc16(const uint8_t* bytes, size_t count);

// Value of the first character as a hex digit, -1 when it is none (or the text is empty).
int HexDigitValue(const QString& text);

// A frame as the user sees it: "01 03 00 00 00 04 44 09 " (two digits and a blank per byte).
QString SentTextOf(const Frame& frame);

// The text ReadPortHex returned, spaced into groups of two: the form replies are compared in.
QString FormatReceivedHex(const QString& hex);

// The bytes of a spaced hex text ("01 03 ..."); characters that are not hex digits are skipped.
Frame BytesOfText(const QString& text);

// How a reply was judged: accepted, or the first reason it was refused.
enum class ReplyVerdict {
    Accepted,
    NoReply,        // nothing arrived within the wait
    TooShort,       // fewer bytes than the handler expects
    TooLong,        // more bytes than the handler expects
    WrongAddress,   // does not repeat the request's address
    WrongFunction,  // does not repeat the request's function code
    Exception,      // the module refused the request (function code with the top bit set)
    BadCrc,         // the CRC does not match the bytes
};

// A reply is accepted when it holds exactly `expectedBytes` bytes, repeats the request's address
// and function code, and its CRC matches its bytes. An exception reply (5 bytes, address and
// function | 0x80 of the request, good CRC) is named as such whatever length was expected. Bytes
// whose CRC fails are refused for that alone; length, address and function are judged only of
// well-formed frames.
ReplyVerdict JudgeReply(const QString& receivedText, const QString& sentText, int expectedBytes);
// The same for a handler that takes any of several lengths: accepted when one of them accepts;
// otherwise the reason given against the length that fits best.
ReplyVerdict JudgeReply(const QString& receivedText, const QString& sentText,
                        const std::vector<int>& expectedBytes);
inline bool ReplyAccepted(const QString& receivedText, const QString& sentText, int expectedBytes) {
    return JudgeReply(receivedText, sentText, expectedBytes) == ReplyVerdict::Accepted;
}

// Register k (from 0) of a function 3 reply in received-text form: the four hex digits at
// character positions 10+6k, 11+6k, 13+6k, 14+6k (counting from 1).
int RegisterOfReply(const QString& receivedText, int k);

// An address text as a byte: a whole decimal number 0..255, blanks around it allowed.
std::optional<uint8_t> ParseAddressText(const QString& text);

// Big-endian helpers for request bodies.
inline uint8_t HighByte(int value) {
    return static_cast<uint8_t>((value >> 8) & 0xFF);
}
inline uint8_t LowByte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}
// Address, function, start, count: the common 6-byte read request body.
Frame ReadRequest(uint8_t address, uint8_t function, int start, int count);
// Address, 06, register, value.
Frame WriteRegisterRequest(uint8_t address, int reg, int value);
