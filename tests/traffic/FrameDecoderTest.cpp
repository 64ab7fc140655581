// Frames in words: every function and exception the windows and the simulator use, and bytes
// that cannot be read as a frame.
#include <gtest/gtest.h>

#include "core/protocol/FrameDecoder.h"
#include "tests/support/QStringPrinter.h"

namespace {
// A spaced hex body with its CRC appended.
Frame Framed(const char* body) {
    return AppendCrc16(BytesOfText(QString::fromLatin1(body)));
}
}  // namespace

TEST(FrameDecoder, RequestsAndRepliesInWords) {
    struct {
        const char* request;  // body, CRC appended
        const char* reply;    // body, CRC appended; empty: the request alone is decoded
        const char* words;
    } cases[] = {
        {"01 03 00 00 00 04", "", "addr 1, Read Holding Registers, start 0, count 4"},
        {"00 03 00 64 00 03", "", "addr 0 (broadcast), Read Holding Registers, start 100, count 3"},
        {"01 03 00 00 00 04", "01 03 08 02 6C 02 6D 00 00 FF FF",
         "addr 1, Read Holding Registers, 4 registers from 0: 620 621 0 65535"},
        {"01 04 00 0A 00 01", "01 04 02 00 07",
         "addr 1, Read Input Registers, 1 registers from 10: 7"},
        {"01 02 00 00 00 04", "", "addr 1, Read Discrete Inputs, start 0, count 4"},
        {"01 02 00 00 00 04", "01 02 01 05", "addr 1, Read Discrete Inputs, from 0: 1010"},
        {"01 02 00 00 00 10", "01 02 02 81 01",
         "addr 1, Read Discrete Inputs, from 0: 10000001 10000000"},
        {"01 01 00 08 00 03", "01 01 01 06", "addr 1, Read Coils, from 8: 011"},
        {"01 05 00 03 FF 00", "01 05 00 03 FF 00", "addr 1, Write Single Coil, coil 3 = ON"},
        {"01 05 00 03 00 00", "", "addr 1, Write Single Coil, coil 3 = OFF"},
        {"01 05 00 03 12 34", "", "addr 1, Write Single Coil, coil 3 = 0x1234"},
        {"01 06 00 64 00 02", "01 06 00 64 00 02",
         "addr 1, Write Single Register, register 100 = 2"},
        {"01 0F 00 00 00 08 01 A5", "",
         "addr 1, Write Multiple Coils, start 0, count 8, states 10100101"},
        {"01 0F 00 00 00 0A 02 FF 03", "",
         "addr 1, Write Multiple Coils, start 0, count 10, states 11111111 11"},
        {"01 0F 00 00 00 08 01 A5", "01 0F 00 00 00 08",
         "addr 1, Write Multiple Coils, start 0, count 8 written"},
        {"01 10 00 00 00 03 06 03 E8 07 D0 0F A0", "",
         "addr 1, Write Multiple Registers, start 0, count 3, values 1000 2000 4000"},
        {"01 10 00 00 00 03 06 03 E8 07 D0 0F A0", "01 10 00 00 00 03",
         "addr 1, Write Multiple Registers, start 0, count 3 written"},
        // Exceptions by name, whatever the function.
        {"01 03 00 00 00 04", "01 83 01",
         "addr 1, exception to Read Holding Registers: 01 Illegal Function"},
        {"01 03 00 00 00 04", "01 83 02",
         "addr 1, exception to Read Holding Registers: 02 Illegal Data Address"},
        {"01 06 00 64 00 02", "01 86 03",
         "addr 1, exception to Write Single Register: 03 Illegal Data Value"},
        {"01 02 00 00 00 04", "01 82 04",
         "addr 1, exception to Read Discrete Inputs: 04 Server Device Failure"},
        {"01 0F 00 00 00 08 01 A5", "01 8F 05",
         "addr 1, exception to Write Multiple Coils: 05 Acknowledge"},
        {"01 10 00 00 00 01 02 00 01", "01 90 06",
         "addr 1, exception to Write Multiple Registers: 06 Server Device Busy"},
        {"01 03 00 00 00 04", "01 83 07",
         "addr 1, exception to Read Holding Registers: 07 Negative Acknowledge"},
        {"01 03 00 00 00 04", "01 83 08",
         "addr 1, exception to Read Holding Registers: 08 Memory Parity Error"},
        {"01 03 00 00 00 04", "01 83 09",
         "addr 1, exception to Read Holding Registers: 09 unknown exception"},
        {"01 03 00 00 00 04", "01 83 0A",
         "addr 1, exception to Read Holding Registers: 0A Gateway Path Unavailable"},
        {"01 03 00 00 00 04", "01 83 0B",
         "addr 1, exception to Read Holding Registers: 0B Gateway Target Device Failed to Respond"},
        {"01 03 00 00 00 04", "01 C1 01", "addr 1, exception to 41: 01 Illegal Function"},
        // Malformed: too short, lengths that do not fit, unknown functions.
        {"01 03 00 00 00 04", "01", "too short to decode (3 bytes)"},
        {"01 03 00 00 00 04", "01 03",
         "addr 1, Read Holding Registers, too short to decode (4 bytes)"},
        {"01 03 00 00 00 04", "01 03 08 02 6C 02",
         "addr 1, Read Holding Registers, byte count 8 but 3 bytes follow"},
        {"01 03 00 00 00 04", "01 03 03 02 6C 02",
         "addr 1, Read Holding Registers, odd byte count 3"},
        {"01 03 00 00 00 04", "01 83 02 00",
         "addr 1, exception to Read Holding Registers: 02 Illegal Data Address, length 6, expected "
         "5"},
        {"01 06 00 64 00", "", "addr 1, Write Single Register, length 7, expected 8"},
        {"01 03 00 00 00 04 00", "", "addr 1, Read Holding Registers, length 9, expected 8"},
        {"01 0F 00 00 00 08 02 A5", "",
         "addr 1, Write Multiple Coils, start 0, count 8, byte count 2 but 1 bytes follow"},
        {"01 10 00 00 00 01 03 00 01 02", "",
         "addr 1, Write Multiple Registers, start 0, count 1, odd byte count 3"},
        {"01 10 00 00 00", "", "addr 1, Write Multiple Registers, too short to decode (7 bytes)"},
        {"01 0F 00 00 00 08 01 A5", "01 0F 00 00",
         "addr 1, Write Multiple Coils, length 6, expected 8"},
        {"01 41 00 00", "", "addr 1, unknown function 0x41"},
        {"01 03 00 00 00 04", "07 2B 0E 01 00", "addr 7, unknown function 0x2B"},
    };
    for (const auto& c : cases) {
        const Frame request = Framed(c.request);
        const QString words = *c.reply ? FrameDecoder::Reply(Framed(c.reply), request, true)
                                       : FrameDecoder::Request(request, true);
        EXPECT_EQ(words, QString::fromUtf8(c.words)) << c.request << " / " << c.reply;
    }
    // Bytes without a CRC, and no bytes at all.
    EXPECT_EQ(FrameDecoder::Reply({0x01, 0x03, 0x02}, {}, true), "too short to decode (3 bytes)");
    EXPECT_EQ(FrameDecoder::Request({}, true), "too short to decode (0 bytes)");
    // A reply to another function than the request's: values without a start.
    EXPECT_EQ(FrameDecoder::Reply(Framed("01 03 02 00 07"), Framed("01 06 00 64 00 02"), true),
              "addr 1, Read Holding Registers, 1 registers: 7");
}

TEST(FrameDecoder, ChineseWords) {
    struct {
        const char* request;
        const char* reply;
        const char* words;
    } cases[] = {
        {"00 03 00 64 00 03", "", "地址 0（广播），读保持寄存器，起始 100，数量 3"},
        {"01 03 00 00 00 04", "01 03 04 00 01 00 02",
         "地址 1，读保持寄存器，2 个寄存器，自 0 起：1 2"},
        {"01 03 00 00 00 04", "01 83 02", "地址 1，读保持寄存器 异常：02 非法数据地址"},
        {"01 10 00 00 00 01 02 00 01", "01 90 06", "地址 1，写多个寄存器 异常：06 从站设备忙"},
        {"01 03 00 00 00 04", "01", "过短，无法解析（3 字节）"},
        {"01 44 00 00", "", "地址 1，未知功能码 0x44"},
    };
    for (const auto& c : cases) {
        const Frame request = Framed(c.request);
        const QString words = *c.reply ? FrameDecoder::Reply(Framed(c.reply), request, false)
                                       : FrameDecoder::Request(request, false);
        EXPECT_EQ(words, QString::fromUtf8(c.words)) << c.request << " / " << c.reply;
    }
}
