// Texts of readings, the adjustment value and the request bytes of the analog modules.
#include <gtest/gtest.h>

#include "app/TextTable.h"
#include "tests/support/PtyPeer.h"
#include "windows/analog/AnalogCodec.h"

using AnalogCodec::ReadingKind;

namespace {
QString Wire(const Frame& body) {
    return SentTextOf(AppendCrc16(body));
}
}  // namespace

TEST(AnalogCodecTest, ReadingTextsInEachModelsUnitAndFormat) {
    struct Case {
        ReadingKind kind;
        int raw;
        const char* chinese;
        const char* english;
    };
    const Case cases[] = {
        {ReadingKind::RtdTenths, 803, "25.3℃", "25.3℃"},
        {ReadingKind::RtdTenths, 550, "0.0℃", "0.0℃"},
        {ReadingKind::RtdTenths, 549, "-0.1℃", "-0.1℃"},
        {ReadingKind::RtdTenths, 0, "-55.0℃", "-55.0℃"},
        {ReadingKind::RtdTenths, 65535, "6498.5℃", "6498.5℃"},
        {ReadingKind::SignedTenths, 0x00FD, "25.3℃", "25.3℃"},
        {ReadingKind::SignedTenths, 0, "0.0℃", "0.0℃"},
        {ReadingKind::SignedTenths, 9999, "999.9℃", "999.9℃"},
        {ReadingKind::SignedTenths, 0x278D, "-12.5℃", "-12.5℃"},
        {ReadingKind::SignedTenths, 0x2710, "-0.0℃", "-0.0℃"},
        {ReadingKind::SignedTenths, 65534, "-5553.4℃", "-5553.4℃"},
        {ReadingKind::SignedTenths, 0xFFFF, "未连接", "No Sensor"},
        {ReadingKind::Milliamps, 0x0FFF, "20.00mA", "20.00mA"},
        {ReadingKind::Milliamps, 0x0800, "10.00mA", "10.00mA"},
        {ReadingKind::Milliamps, 0x0333, "4.00mA", "4.00mA"},
        {ReadingKind::Milliamps, 0, "0.00mA", "0.00mA"},
        {ReadingKind::Milliamps, 1, "0.00mA", "0.00mA"},
        {ReadingKind::Milliamps, 8190, "40.00mA", "40.00mA"},  // no clamping above full scale
        {ReadingKind::Milliamps, 65535, "320.07mA", "320.07mA"},
        {ReadingKind::Volts, 0x0FFF, "10.00V", "10.00V"},
        {ReadingKind::Volts, 0x0800, "5.00V", "5.00V"},
        {ReadingKind::Volts, 0x0333, "2.00V", "2.00V"},
        {ReadingKind::Volts, 1229, "3.00V", "3.00V"},
        {ReadingKind::Volts, 5000, "12.21V", "12.21V"},
        {ReadingKind::WholeDegrees, 0, "0℃", "0℃"},
        {ReadingKind::WholeDegrees, 25, "25℃", "25℃"},
        {ReadingKind::WholeDegrees, 1000, "1000℃", "1000℃"},
        {ReadingKind::WholeDegrees, 1001, "未连接", "No Sensor"},
        {ReadingKind::WholeDegrees, 0xFFFF, "未连接", "No Sensor"},
    };
    for (bool english : {false, true}) {
        TextTable::Fill(english);
        for (const Case& c : cases)
            EXPECT_EQ(AnalogCodec::ReadingText(c.kind, c.raw),
                      QString::fromUtf8(english ? c.english : c.chinese))
                << static_cast<int>(c.kind) << " raw " << c.raw;
    }
}

TEST(AnalogCodecTest, AdjustValueOnlyInsideTheTrimWindowAndLimitedTo255) {
    const std::pair<int, int> cases[] = {
        {0, 0},       // no reading yet
        {1900, 0},    // bounds excluded
        {2048, 0},    //
        {65535, 0},   //
        {1901, 255},  // 773 limited
        {1950, 255},  // 503 limited
        {1975, 255},  // 369.6
        {1990, 255},  // 291.5
        {1997, 255},  // 255.4 still above after rounding
        {1998, 250},  // 250.25
        {2000, 240},  // 240.000..
        {2040, 39},   // 39.2
        {2043, 24},   // 24.47
        {2046, 10},   // 9.78 rounds up
        {2047, 5},    // 4.885
    };
    for (auto [reading, value] : cases)
        EXPECT_EQ(AnalogCodec::AdjustValue(reading), value) << "reading " << reading;
}

TEST(AnalogCodecTest, RequestBytes) {
    using namespace AnalogCodec;
    EXPECT_EQ(Wire(AdjustRequest(1, 0, 24)), "01 06 03 E8 00 18 09 B0 ");
    EXPECT_EQ(Wire(AdjustRequest(1, 2, 240)), SpacedHex(HexBytes("01 06 03 EA 00 F0", true)));
    EXPECT_EQ(Wire(AdjustRequest(1, 7, 240)), SpacedHex(HexBytes("01 06 03 EF 00 F0", true)));
    EXPECT_EQ(Wire(ClearRequest(1, 0)), "01 06 04 4C 00 00 49 2D ");
    EXPECT_EQ(Wire(ClearRequest(1, 88)), "01 06 04 4C 00 58 48 D7 ");
    EXPECT_EQ(Wire(WriteOutputsRequest(1, {4000, 4000, 4000})),
              "01 10 00 00 00 03 06 0F A0 0F A0 0F A0 60 D8 ");
    EXPECT_EQ(Wire(WriteOutputsRequest(1, {0, 5000, 10000})),
              SpacedHex(HexBytes("01 10 00 00 00 03 06 00 00 13 88 27 10", true)));
    EXPECT_EQ(Wire(CalibrationReadRequest(1)), "01 03 00 30 00 06 C5 C7 ");
    EXPECT_EQ(Wire(CalibrationReadRequest(247)), SpacedHex(HexBytes("F7 03 00 30 00 06", true)));
}
