// The register window's plain rules: groups, number parsing, typed frames, value display.
#include <gtest/gtest.h>

#include <limits>

#include "core/protocol/Modbus.h"
#include "tests/support/PtyPeer.h"
#include "windows/registers/RegisterGroups.h"
#include "windows/registers/RegisterView.h"
#include "windows/registers/TypedFrame.h"
#include "core/modules/WrittenNumber.h"

TEST(RegisterGroupsTest, AdjustmentGroupsOnlyInServiceLevelsThreeAndFour) {
    for (int mode = 0; mode <= 4; ++mode) {
        const size_t expected = mode >= 3 ? 8 : 6;
        EXPECT_EQ(RegisterGroups(mode).size(), expected) << mode;
        EXPECT_EQ(GroupOfEntry("AI/VI ADJ", mode).has_value(), mode >= 3) << mode;
    }
    const auto pwm = GroupOfEntry("PWM Data", 0);
    ASSERT_TRUE(pwm);
    EXPECT_EQ(pwm->first, 0x600);
    EXPECT_EQ(pwm->count, 5);
    EXPECT_EQ(ReadReplyBytes(pwm->count), 15);
    const auto ao = GroupOfEntry("AO/VO ADJ", 4);
    ASSERT_TRUE(ao);
    EXPECT_EQ(ao->first, 48);
    EXPECT_EQ(ao->count, 6);
    // Only an entry's exact text names a group.
    for (const char* text : {"", "pwm data", "PWM Data ", "System"})
        EXPECT_FALSE(GroupOfEntry(text, 4)) << text;
}

TEST(RegisterGroupsTest, CommandNamesAreTwelveCharacterLabels) {
    ASSERT_EQ(CommandNames().size(), 16);
    for (const QString& name : CommandNames()) EXPECT_EQ(name.size(), 12) << name.toStdString();
    EXPECT_EQ(CommandNames()[0], "(setAddr  ) ");
    EXPECT_EQ(CommandNames()[10], "(setOTM   ) ");
    EXPECT_EQ(CommandNames()[13], "(setNonet ) ");
}

TEST(WrittenNumberTest, TypedTextsGiveSixteenBitNumbersOrNothing) {
    struct Case {
        const char* text;  // UTF-8
        std::optional<int> number;
    };
    const Case cases[] = {
        {"100", 100},
        {" 100\t", 100},
        {"+7", 7},
        {"65535", 65535},
        {"&HFFFF", 65535},
        {"&hff", 255},
        {"&H0064", 100},
        {"12.5", 12},
        {"13.5", 14},
        {"0.5", 0},
        {"1.5", 2},
        {"2.4999", 2},
        {"1.", 1},
        {"-0.4", 0},
        {"-0.5", 0},
        {".5", 0},
        {"65534.5", 65534},
        {"65535.4", 65535},
        // Full-width forms, as a Chinese input method types them.
        {"１００", 100},
        {"　１２．５　", 12},
        {"＆Ｈ６４", 100},
        {"&Hｆｆ", 255},
        // Not numbers: these once wrote 0, or their leading digits.
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"  42xyz", std::nullopt},
        {"0x64", std::nullopt},
        {"1e3", std::nullopt},
        {"1,000", std::nullopt},
        {"1 000", std::nullopt},
        {"1.2.3", std::nullopt},
        {".", std::nullopt},
        {"+", std::nullopt},
        {"&H", std::nullopt},
        {"&H1g", std::nullopt},
        {"&HZ", std::nullopt},
        {"-&H1", std::nullopt},
        {"&H 1", std::nullopt},
        {"١٠٠", std::nullopt},  // digits of another script
        // Numbers outside 16 bits.
        {"-1", std::nullopt},
        {"65536", std::nullopt},
        {"65535.5", std::nullopt},
        {"70000", std::nullopt},
        {"&H10000", std::nullopt},
        {"&HFFFFFFFFFFFF", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegisterNumberOfText(QString::fromUtf8(c.text)), c.number) << c.text;
}

TEST(TypedFrameTest, ByteGroupsOfThreeCharacters) {
    struct Case {
        const char* text;
        const char* bytes;  // spaced hex of the bytes sent, empty for none
    };
    const Case cases[] = {
        {"01 03 00 64 00 01 C5 D5", "01 03 00 64 00 01 C5 D5 "},    // 23 characters
        {"01 03 00 64 00 01 C5 D5 ", "01 03 00 64 00 01 C5 D5 "},   // trailing blank
        {"01 03 00 64 00 01 C5 D5 7", "01 03 00 64 00 01 C5 D5 "},  // lone digit ignored
        {"01 03 ", "01 03 "},                                       // 6 characters
        {"01 03", ""},                                              // 5 characters
        {"01", ""},
        {"", ""},
        {"ab cd EF", "AB CD EF "},  // either case
        {"01 03 0", "01 03 "},      // 7: third group incomplete
    };
    for (const Case& c : cases) {
        const TypedFrame frame = ParseTypedFrame(c.text);
        EXPECT_EQ(frame.badPosition, 0) << c.text;
        EXPECT_EQ(SentTextOf(frame.bytes), c.bytes) << c.text;
    }
}

TEST(TypedFrameTest, ACharacterOutOfPlaceRefusesTheWholeFrame) {
    struct Case {
        const char* text;
        int position;
        char character;
        bool separator;  // found where a blank belongs
    };
    const Case cases[] = {
        {"01 0G 00 64 00 01 C5 D5", 5, 'G', false},
        {"x1 03 ", 1, 'x', false},
        {"01 03 00 64 00 01 C5 D ", 23, ' ', false},  // the low digit of the last byte missing
        {"01 03 zz", 7, 'z', false},
        {"010300640001C5D5", 3, '0', true},  // groups are counted by position, not by blanks
        {"0103 00", 3, '0', true},
        {"01 03 00 64 00 01 C5 D57", 24, '7', true},
        {"ab-cd-ef", 3, '-', true},
        {"01 03,00", 6, ',', true},
        {"01\t03 00", 3, '\t', true},
        {"0x-03 ", 2, 'x', false},  // the first fault in reading order
    };
    for (const Case& c : cases) {
        const TypedFrame frame = ParseTypedFrame(c.text);
        EXPECT_EQ(frame.badPosition, c.position) << c.text;
        EXPECT_EQ(frame.badCharacter, QChar(c.character)) << c.text;
        EXPECT_EQ(frame.badSeparator, c.separator) << c.text;
        EXPECT_TRUE(frame.bytes.empty()) << c.text;
    }
    // Too short to hold a frame: nothing is judged.
    EXPECT_EQ(ParseTypedFrame("x1 03").badPosition, 0);
}

TEST(RegisterViewTest, EachGroupIsWrittenInItsView) {
    EXPECT_EQ(RegisterLines(100, {1, 103}, true),
              QStringList({"(setAddr  ) 100: 1", "(setBaud  ) 101: 103"}));
    EXPECT_EQ(RegisterLines(100, {1, 103}, false), QStringList({"100: 1", "101: 103"}));
    EXPECT_EQ(RegisterLines(1280, {0x41C8, 0x0000, 0x41C9, 0x0000}, true),
              QStringList({"1280-1281: 25.0000", "1282-1283: 25.1250"}));
    EXPECT_EQ(RegisterLines(2304, {1, 0, 0xFFFF, 0xFFFF, 0, 7}, false),
              QStringList({"2304-2305: 65536", "2306-2307: 4294967295", "2308-2309: 7"}));
    EXPECT_EQ(RegisterLines(2048, {17, 65535}, true), QStringList({"2048: 17", "2049: 65535"}));
    // Plain groups carry no labels even in service level 4.
    EXPECT_EQ(RegisterLines(1000, {5}, true), QStringList({"1000: 5"}));
    EXPECT_TRUE(RegisterLines(1280, {}, false).isEmpty());
}

TEST(RegisterViewTest, FloatsThatAreNotNumbersReadAsWords) {
    EXPECT_EQ(FloatText(0x7FC00000), "NaN");
    EXPECT_EQ(FloatText(0xFFFFFFFF), "NaN");
    EXPECT_EQ(FloatText(0x7F800000), "Infinity");
    EXPECT_EQ(FloatText(0xFF800000), "-Infinity");
    EXPECT_EQ(FloatText(0xC1200000), "-10.0000");
    EXPECT_EQ(FloatText(0x3DCCCCCD), "0.1000");
    EXPECT_EQ(FloatText(0x7F7FFFFF).size(), 39 + 5);  // the largest float, all digits shown
}
