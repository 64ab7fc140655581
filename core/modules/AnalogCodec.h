#pragma once
// The numbers of the analog modules: how a raw register value reads on screen, the gain
// adjustment a reading calls for, and the bytes of the requests. Plain functions, so the wire
// format and the texts are tested on their own.
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/protocol/Modbus.h"

namespace AnalogCodec {

// How a channel's raw register value (0..65535) is shown.
enum class ReadingKind {
    RtdTenths,     // raw / 10 - 55, "0.0" and "℃"
    SignedTenths,  // 0..9999: raw / 10; 10000..65534: -(raw - 10000) / 10; 65535: NoSensor
    Milliamps,     // raw * 20 / 4095, "0.00" and "mA"; 4095 is full scale, nothing clamped
    Volts,         // raw * 10 / 4095, "0.00" and "V"
    WholeDegrees,  // 0..1000: "25℃"; anything above: NoSensor
};

// One reading decoded once: the label's text and the number it stands for (NaN where the label
// says NoSensor), so whatever else takes the reading (trend, recording) takes what is shown.
struct Reading {
    double value;
    QString text;
};
Reading Decode(ReadingKind kind, int raw);
// The label text of one reading (NoSensor comes from the text table).
inline QString ReadingText(ReadingKind kind, int raw) {
    return Decode(kind, raw).text;
}
// The poll of `channels` input registers from 0, the length of its reply, and the readings of an
// accepted reply in received-text form, as the input panel shows them.
Frame PollRequest(uint8_t address, int channels);
inline int PollReplyBytes(int channels) {
    return 5 + 2 * channels;
}
struct RawReading {
    int raw;
    Reading reading;
};
std::vector<RawReading> ReadingsOfReply(ReadingKind kind, const QString& receivedText,
                                        int channels);
// The unit a reading is shown in and its number of decimals.
QString UnitOf(ReadingKind kind);
int DecimalsOf(ReadingKind kind);

// What the input models poll and how their readings show: the channels' names (never
// translated; their count is the channel count) and the reading kind: the input models ZN210,
// ZN220, ZN260, ZN270 and the measurements of ZN410, ZN420, ZN430; nothing for any other model.
struct InputChannels {
    ReadingKind reading;
    QStringList names;
};
std::optional<InputChannels> InputChannelsOf(const QString& model);

// The gain adjustment for a channel reading `reading` counts at its mid-scale test point (2048):
// (2048 / reading - 1) * 10000 rounded half to even and limited to 255 when 1900 < reading < 2048,
// else 0 (no reading yet, or one the module cannot be trimmed to).
int AdjustValue(int reading);

// Register 1000 + channel: the channel's gain adjustment, value in the low byte.
Frame AdjustRequest(uint8_t address, int channel, int value);
// Register 1100: the clear command with its value (0 or 88, by model).
Frame ClearRequest(uint8_t address, int value);

// Function 16 write of `values` (each within 0..65535, as the scroll bars hold them) to the
// registers from 0: the three outputs of a module at once.
Frame WriteOutputsRequest(uint8_t address, const std::vector<int>& values);

// The six output calibration values, registers 48..53 (low points of channels 1..3, then their
// high points): all read at once, written one at a time with WriteRegisterRequest.
inline constexpr int kCalibrationRegister = 48;
inline constexpr int kCalibrationCount = 6;
Frame CalibrationReadRequest(uint8_t address);

}  // namespace AnalogCodec
