// The nibble order of discrete-input replies, on its own; the requests are checked on the wire
// by the window tests.
#include <gtest/gtest.h>

#include <QStringList>

#include "tests/support/QStringPrinter.h"
#include "core/modules/DigitalCodec.h"

namespace {
QString OnInputs(const std::vector<bool>& states) {
    QStringList on;
    for (size_t i = 0; i < states.size(); ++i)
        if (states[i]) on << QString::number(i + 1);
    return on.join(",");
}
}  // namespace

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
