// The digital wire format on its own: input polls, the nibble order of input replies, coil bytes.
#include <gtest/gtest.h>

#include "tests/digital/QStringPrinter.h"
#include "tests/support/PtyPeer.h"
#include "windows/digital/DigitalCodec.h"

namespace {
QString OnInputs(const std::vector<bool>& states) {
    QStringList on;
    for (size_t i = 0; i < states.size(); ++i)
        if (states[i]) on << QString::number(i + 1);
    return on.join(",");
}
}  // namespace

TEST(DigitalCodec, InputPollsReadFromInputZeroWithTheirCrc) {
    struct Case {
        int inputs;
        const char* wire;
        int replyBytes;
    } cases[] = {
        {16, "01 02 00 00 00 10 79 C6 ", 7},
        {8, "01 02 00 00 00 08 79 CC ", 6},
        {4, "01 02 00 00 00 04 79 C9 ", 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SentTextOf(AppendCrc16(DigitalCodec::InputPollRequest(1, c.inputs))), c.wire);
        EXPECT_EQ(DigitalCodec::InputReplyBytes(c.inputs), c.replyBytes);
    }
    EXPECT_EQ(SentTextOf(DigitalCodec::InputPollRequest(254, 8)), "FE 02 00 00 00 08 ");
}

TEST(DigitalCodec, InputRepliesUnpackLeastSignificantBitFirst) {
    // Received text of the reply (the CRC is not read here), input count, inputs read ON (1-based).
    struct Case {
        const char* reply;
        int inputs;
        const char* on;
    } cases[] = {
        {"01 02 02 05 80 00 00 ", 16, "1,3,16"},
        {"01 02 02 80 05 00 00 ", 16, "8,9,11"},
        {"01 02 02 FF FF 00 00 ", 16, "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"},
        {"01 02 02 00 00 00 00 ", 16, ""},
        {"01 02 02 12 48 00 00 ", 16, "2,5,12,15"},
        {"01 02 01 A5 00 00 ", 8, "1,3,6,8"},
        {"01 02 01 5A 00 00 ", 8, "2,4,5,7"},
        {"01 02 01 0F 00 00 ", 4, "1,2,3,4"},
        {"01 02 01 F0 00 00 ", 4, ""},  // a four-input module's high half is not painted
        {"01 02 01 09 00 00 ", 4, "1,4"},
        {"01 02 01 0c 00 00 ", 4, "3,4"},  // lower-case digits read the same
    };
    for (const Case& c : cases)
        EXPECT_EQ(OnInputs(DigitalCodec::InputStatesOfReply(c.reply, c.inputs)), c.on) << c.reply;
    // A text too short to hold the data reads as all OFF rather than failing.
    EXPECT_EQ(OnInputs(DigitalCodec::InputStatesOfReply("01 02 ", 16)), "");
}

TEST(DigitalCodec, CoilWritesPackOutputZeroIntoBitZero) {
    const auto coils = [](int count, std::initializer_list<int> on) {
        std::vector<bool> states(count, false);
        for (int i : on) states[i] = true;
        return states;
    };
    struct Case {
        std::vector<bool> coils;
        QString wire;
    } cases[] = {
        {coils(8, {0, 1, 2, 3, 4, 5, 6, 7}), "01 0F 00 00 00 08 01 FF BE D5 "},
        {coils(16, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
         "01 0F 00 00 00 10 02 FF FF E3 90 "},
        {coils(4, {0, 2}), "01 0F 00 00 00 04 01 05 FE 95 "},
        {coils(4, {}), "01 0F 00 00 00 04 01 00 3E 96 "},
        {coils(16, {8}), SpacedHex(HexBytes("01 0F 00 00 00 10 02 00 01", true))},
        {coils(16, {7}), SpacedHex(HexBytes("01 0F 00 00 00 10 02 80 00", true))},
        {coils(8, {1, 6}), SpacedHex(HexBytes("01 0F 00 00 00 08 01 42", true))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SentTextOf(AppendCrc16(DigitalCodec::CoilWriteRequest(1, c.coils))), c.wire);
}

TEST(DigitalCodec, PresetsSplitOutputsIntoEvenAndOdd) {
    // Outputs 0..5 under each preset, 1 for on.
    const char* expected[4] = {"101010", "010101", "111111", "000000"};
    for (int preset = 0; preset < 4; ++preset) {
        QString got;
        for (int output = 0; output < 6; ++output)
            got += DigitalCodec::PresetTurnsOn(preset, output) ? '1' : '0';
        EXPECT_EQ(got, expected[preset]) << DigitalCodec::kPresetCaptions[preset];
    }
}
