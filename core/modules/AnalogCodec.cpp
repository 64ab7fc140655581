#include "core/modules/AnalogCodec.h"

#include <algorithm>
#include <cmath>

#include "base/TextTable.h"

namespace AnalogCodec {
namespace {
const QString kDegrees = QStringLiteral("℃");

QString Fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}
}  // namespace

Frame PollRequest(uint8_t address, int channels) {
    return ReadRequest(address, 0x03, 0, channels);
}

std::vector<RawReading> ReadingsOfReply(ReadingKind kind, const QString& receivedText,
                                        int channels) {
    std::vector<RawReading> readings;
    for (int k = 0; k < channels; ++k) {
        const int raw = RegisterOfReply(receivedText, k);
        readings.push_back({raw, Decode(kind, raw)});
    }
    return readings;
}

Reading Decode(ReadingKind kind, int raw) {
    const auto shown = [kind](double value) {
        return Reading{value, Fixed(value, DecimalsOf(kind)) + UnitOf(kind)};
    };
    const Reading noSensor{std::nan(""), Tt(TextKey::NoSensor)};
    switch (kind) {
        case ReadingKind::RtdTenths:
            return shown(raw / 10.0 - 55);
        case ReadingKind::SignedTenths:
            if (raw == 65535) return noSensor;
            // The sign is written out, so the module's "minus zero" (10000) reads -0.0℃.
            if (raw >= 10000) {
                const double magnitude = (raw - 10000) * 0.1;
                return {-magnitude, "-" + Fixed(magnitude, 1) + kDegrees};
            }
            return shown(raw * 0.1);
        case ReadingKind::Milliamps:
            return shown((raw * 20) / 4095.0);
        case ReadingKind::Volts:
            return shown((raw * 10) / 4095.0);
        case ReadingKind::WholeDegrees:
            return raw <= 1000 ? shown(raw) : noSensor;
    }
    return noSensor;
}

QString UnitOf(ReadingKind kind) {
    switch (kind) {
        case ReadingKind::Milliamps:
            return QStringLiteral("mA");
        case ReadingKind::Volts:
            return QStringLiteral("V");
        default:
            return kDegrees;
    }
}

int DecimalsOf(ReadingKind kind) {
    switch (kind) {
        case ReadingKind::Milliamps:
        case ReadingKind::Volts:
            return 2;
        case ReadingKind::WholeDegrees:
            return 0;
        default:
            return 1;
    }
}

int AdjustValue(int reading) {
    if (reading <= 1900 || reading >= 2048) return 0;
    // lrint rounds in the default mode, to nearest with halves to even.
    const long value = std::lrint((2048.0 / reading - 1) * 10000);
    return static_cast<int>(std::min(value, 255L));
}

Frame AdjustRequest(uint8_t address, int channel, int value) {
    return WriteRegisterRequest(address, 1000 + channel, LowByte(value));
}

Frame ClearRequest(uint8_t address, int value) {
    return WriteRegisterRequest(address, 1100, value);
}

Frame WriteOutputsRequest(uint8_t address, const std::vector<int>& values) {
    const int count = static_cast<int>(values.size());
    Frame body = {address,
                  0x10,
                  0x00,
                  0x00,
                  HighByte(count),
                  LowByte(count),
                  static_cast<uint8_t>(2 * count)};
    for (int value : values) {
        body.push_back(HighByte(value));
        body.push_back(LowByte(value));
    }
    return body;
}

Frame CalibrationReadRequest(uint8_t address) {
    return ReadRequest(address, 0x03, kCalibrationRegister, kCalibrationCount);
}

std::optional<InputChannels> InputChannelsOf(const QString& model) {
    auto numbered = [](const QString& pattern, int count) {
        QStringList names;
        for (int k = 1; k <= count; ++k) names << pattern.arg(k);
        return names;
    };
    if (model == QLatin1String("ZN210"))
        return InputChannels{ReadingKind::RtdTenths, numbered(QStringLiteral("RTD%1"), 4)};
    if (model == QLatin1String("ZN220"))
        return InputChannels{ReadingKind::SignedTenths, numbered(QStringLiteral("DS%1"), 8)};
    if (model == QLatin1String("ZN260"))
        return InputChannels{ReadingKind::Milliamps, numbered(QStringLiteral("AI_%1"), 8)};
    if (model == QLatin1String("ZN270"))
        return InputChannels{ReadingKind::Volts, numbered(QStringLiteral("VI_%1"), 8)};
    if (model == QLatin1String("ZN410"))
        return InputChannels{ReadingKind::Milliamps, numbered(QStringLiteral("AI_%1"), 6)};
    if (model == QLatin1String("ZN420"))
        return InputChannels{ReadingKind::Volts, numbered(QStringLiteral("VI_%1"), 6)};
    if (model == QLatin1String("ZN430"))
        return InputChannels{ReadingKind::WholeDegrees, numbered(QStringLiteral("T_%1"), 4)};
    return std::nullopt;
}

}  // namespace AnalogCodec
