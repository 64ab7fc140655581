// Texts of readings and the adjustment value of the analog modules. Their request bytes are
// checked on the wire by the window tests.
#include <gtest/gtest.h>

#include "base/TextTable.h"
#include "core/modules/AnalogCodec.h"

using AnalogCodec::ReadingKind;

TEST(AnalogCodecTest, ReadingTextsInEachModelsUnitAndFormat) {
    struct Case {
        ReadingKind kind;
        int raw;
        const char* text;  // empty: the NoSensor text of the language
    };
    const Case cases[] = {
        {ReadingKind::RtdTenths, 803, "25.3℃"},
        {ReadingKind::RtdTenths, 550, "0.0℃"},
        {ReadingKind::RtdTenths, 549, "-0.1℃"},
        {ReadingKind::RtdTenths, 0, "-55.0℃"},
        {ReadingKind::RtdTenths, 65535, "6498.5℃"},
        {ReadingKind::SignedTenths, 0x00FD, "25.3℃"},
        {ReadingKind::SignedTenths, 0, "0.0℃"},
        {ReadingKind::SignedTenths, 9999, "999.9℃"},
        {ReadingKind::SignedTenths, 0x278D, "-12.5℃"},
        {ReadingKind::SignedTenths, 0x2710, "-0.0℃"},
        {ReadingKind::SignedTenths, 65534, "-5553.4℃"},
        {ReadingKind::SignedTenths, 0xFFFF, ""},
        {ReadingKind::Milliamps, 0x0FFF, "20.00mA"},
        {ReadingKind::Milliamps, 0x0800, "10.00mA"},
        {ReadingKind::Milliamps, 0x0333, "4.00mA"},
        {ReadingKind::Milliamps, 0, "0.00mA"},
        {ReadingKind::Milliamps, 1, "0.00mA"},
        {ReadingKind::Milliamps, 8190, "40.00mA"},  // no clamping above full scale
        {ReadingKind::Milliamps, 65535, "320.07mA"},
        {ReadingKind::Volts, 0x0FFF, "10.00V"},
        {ReadingKind::Volts, 0x0800, "5.00V"},
        {ReadingKind::Volts, 0x0333, "2.00V"},
        {ReadingKind::Volts, 1229, "3.00V"},
        {ReadingKind::Volts, 5000, "12.21V"},
        {ReadingKind::WholeDegrees, 0, "0℃"},
        {ReadingKind::WholeDegrees, 25, "25℃"},
        {ReadingKind::WholeDegrees, 1000, "1000℃"},
        {ReadingKind::WholeDegrees, 1001, ""},
        {ReadingKind::WholeDegrees, 0xFFFF, ""},
    };
    for (bool english : {false, true}) {
        TextTable::Fill(english);
        for (const Case& c : cases)
            EXPECT_EQ(AnalogCodec::ReadingText(c.kind, c.raw),
                      *c.text ? QString::fromUtf8(c.text) : Tt(TextKey::NoSensor))
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
