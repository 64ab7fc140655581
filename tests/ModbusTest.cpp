// Framing and hex texts: the bytes on the wire and how replies are judged.
#include <gtest/gtest.h>

#include "core/protocol/Modbus.h"

namespace {
QString Framed(const QString& body) {
    return SentTextOf(AppendCrc16(BytesOfText(body)));
}
}  // namespace

TEST(Modbus, Crc16CheckValuesAndRequestFrames) {
    const Frame digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    const Frame framed = AppendCrc16(digits.data(), 8);
    ASSERT_EQ(framed.size(), 11u);
    EXPECT_EQ(framed[9], 0x37);
    EXPECT_EQ(framed[10], 0x4B);
    EXPECT_EQ(Crc16(digits.data(), digits.size()), 0x4B37);

    struct {
        const char* body;
        const char* frame;
    } cases[] = {
        {"01 03 00 00 00 04", "01 03 00 00 00 04 44 09 "},
        {"01 06 00 64 00 02", "01 06 00 64 00 02 49 D4 "},
        {"00 03 00 64 00 03", "00 03 00 64 00 03 45 C5 "},
        {"01 06 04 4C 00 00", "01 06 04 4C 00 00 49 2D "},
        {"01 06 04 4C 00 58", "01 06 04 4C 00 58 48 D7 "},
        {"01", "01 7E 80 "},
    };
    for (const auto& c : cases) EXPECT_EQ(Framed(c.body), c.frame) << c.body;
    // The input body is left as it was.
    const Frame body = {1, 3, 0, 0, 0, 4};
    AppendCrc16(body);
    EXPECT_EQ(body, Frame({1, 3, 0, 0, 0, 4}));
    EXPECT_EQ(SentTextOf(ReadRequest(1, 3, 0, 4)), "01 03 00 00 00 04 ");
    EXPECT_EQ(SentTextOf(WriteRegisterRequest(0xF7, 1000, 0x1234)), "F7 06 03 E8 12 34 ");
}

TEST(Modbus, HexDigitsAndReceivedText) {
    EXPECT_EQ(HexDigitValue("0"), 0);
    EXPECT_EQ(HexDigitValue("9"), 9);
    EXPECT_EQ(HexDigitValue("B"), 11);
    EXPECT_EQ(HexDigitValue("b7"), 11);
    EXPECT_EQ(HexDigitValue("f"), 15);
    EXPECT_EQ(HexDigitValue("g"), -1);
    EXPECT_EQ(HexDigitValue(" "), -1);
    EXPECT_EQ(HexDigitValue(""), -1);

    EXPECT_EQ(FormatReceivedHex("010302007BF867"), "01 03 02 00 7B F8 67 ");
    EXPECT_EQ(FormatReceivedHex(""), "");
    EXPECT_EQ(FormatReceivedHex("0"), "0");
    EXPECT_EQ(FormatReceivedHex("][\r\n\t1"), "<ACK><NAK> <CR><LF> @1 ");
}

TEST(Modbus, ReplyAcceptance) {
    const QString sent = "01 03 00 00 00 04 44 09 ";
    const QString good = Framed("01 03 08 02 6C 02 6D 02 6E 02 6F");
    EXPECT_TRUE(ReplyAccepted(good, sent, 13));
    EXPECT_FALSE(ReplyAccepted(good, sent, 12));
    EXPECT_FALSE(ReplyAccepted(good.left(good.size() - 3), sent, 13));  // one byte short
    EXPECT_FALSE(ReplyAccepted("00 " + good, sent, 13));                // stray leading byte
    EXPECT_FALSE(ReplyAccepted(Framed("02 03 08 02 6C 02 6D 02 6E 02 6F"), sent, 13));
    EXPECT_FALSE(ReplyAccepted(Framed("01 04 08 02 6C 02 6D 02 6E 02 6F"), sent, 13));
    EXPECT_FALSE(ReplyAccepted("01 83 02 C0 F1 ", sent, 5));  // exception reply
    QString badCrc = good;
    badCrc[good.size() - 2] = good[good.size() - 2] == '0' ? '1' : '0';
    EXPECT_FALSE(ReplyAccepted(badCrc, sent, 13));
    EXPECT_FALSE(ReplyAccepted("", sent, 13));
    EXPECT_FALSE(ReplyAccepted(good, "", 13));
    // A broadcast read is accepted only from address 0.
    const QString broadcast = "00 03 00 64 00 03 45 C5 ";
    EXPECT_TRUE(ReplyAccepted(Framed("00 03 06 00 01 00 67 01 04"), broadcast, 11));
    EXPECT_FALSE(ReplyAccepted(Framed("01 03 06 00 01 00 67 01 04"), broadcast, 11));
}

TEST(Modbus, RegistersOfRepliesAndAddressTexts) {
    const QString reply = "01 03 08 02 6C 02 6D FF FF 00 0A 00 00 ";
    EXPECT_EQ(RegisterOfReply(reply, 0), 0x026C);
    EXPECT_EQ(RegisterOfReply(reply, 2), 0xFFFF);
    EXPECT_EQ(RegisterOfReply(reply, 3), 10);
    EXPECT_EQ(RegisterOfReply(reply, 9), 0);  // past the end reads as 0, no crash

    EXPECT_EQ(ParseAddressText("1"), 1);
    EXPECT_EQ(ParseAddressText(" 254 "), 254);
    EXPECT_EQ(ParseAddressText("0"), 0);
    EXPECT_EQ(ParseAddressText("255"), 255);
    EXPECT_EQ(ParseAddressText("007"), 7);
    for (const char* bad : {"", " ", "256", "-1", "+1", "1.0", "1e2", "abc", "12a", "99999999999"})
        EXPECT_FALSE(ParseAddressText(bad).has_value()) << bad;
}
