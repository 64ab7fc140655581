#pragma once
// Every caption and message that several windows share, in the language fixed at start-up.
#include <QString>

enum class TextKey {
    ParityNone,
    ParityOdd,
    ParityEven,
    ParityNoneTagged,
    ParityOddTagged,
    ParityEvenTagged,
    PrefixAddress,
    PrefixParameters,
    PrefixModel,
    CaptionPortClose,
    CaptionPortOpen,
    CaptionRead,
    CaptionStop,
    CaptionWrite,
    CaptionExplain,
    MsgCommNormal,
    MsgCommError,
    MsgSearching,
    MsgReadFailed,
    MsgNoAddress,
    MsgOpenPortFirst,
    MsgPortUnavailable,
    MsgSettingError,
    MsgSelectModel,
    ExplainParamRead,
    ExplainAddressChange,
    ExplainParamChange,
    FrameComm,
    FrameTemperatureInput,
    FrameAnalogInput,
    FrameAnalogOutput,
    FrameDigitalInput,
    FrameDigitalOutput,
    FrameRelayOutput,
    FrameParamRead,
    FrameAddressChange,
    FrameParamChange,
    FrameRegisterRead,
    FrameRegisterWrite,
    LabelPort,
    LabelBaud,
    LabelParity,
    LabelDataBits,
    LabelStopBits,
    LabelSendData,
    LabelReceiveData,
    LabelCommStatus,
    LabelAddress,
    LabelNewAddress,
    LabelParameters,
    LabelModelSelect,
    TitleParameterSetting,
    TitleRegisterWindow,
    NoSensor,
    CaptionTraffic,
    // Second line of a failed open: what the system reported, and what to do about it.
    MsgPortNoAccessGroup,
    MsgPortNoAccess,
    MsgPortBusyBy,
    MsgPortBusy,
    MsgPortMissing,
    MsgPortOtherError,
    // ... and of a network line that could not be connected or set up.
    MsgNetBadAddress,
    MsgNetNameNotFound,
    MsgNetRefused,
    MsgNetTimedOut,
    MsgNetNoLineSettings,
    MsgNetSettingsRefused,
    MsgNetOtherError,
    // A gateway that keeps its own line settings (tcp://, modbus-tcp://).
    LabelGatewaySettings,
    MsgSearchNeedsRfc2217,
    MsgChangeNeedsRfc2217,
    // What the port list says of a device the system knows.
    PortUsbAdapter,
    PortBuiltIn,
    PortSerialNumber,
    PortNow,
    Count
};

namespace TextTable {
// Filled once by the start-up; read-only afterwards.
void Fill(bool english);
const QString& Text(TextKey key);
QString KeyName(TextKey key);
}  // namespace TextTable

// Short form used by every window: Tt(TextKey::MsgCommError).
inline const QString& Tt(TextKey key) {
    return TextTable::Text(key);
}
