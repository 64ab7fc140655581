#pragma once
// Every caption and message that several windows share, in the language fixed at start-up.
#include <QString>

// X(key, Chinese, English)
#define ZN_TEXT_KEYS(X)                                                                            \
    X(ParityNone, "无校验", "None")                                                                \
    X(ParityOdd, "奇校验", "Odd")                                                                  \
    X(ParityEven, "偶校验", "Even")                                                                \
    X(ParityNoneTagged, "N(无校验)", "None")                                                       \
    X(ParityOddTagged, "O(奇校验)", "Odd")                                                         \
    X(ParityEvenTagged, "E(偶校验)", "Even")                                                       \
    X(PrefixAddress, "模块地址: ", "Address: ")                                                    \
    X(PrefixParameters, "通讯参数: ", "Parameters: ")                                              \
    X(PrefixModel, "模块型号: ", "Model: ")                                                        \
    X(CaptionPortClose, "关闭串口", "Port Close")                                                  \
    X(CaptionPortOpen, "打开串口", "Port Open")                                                    \
    X(CaptionRead, "读 取", "Read")                                                                \
    X(CaptionStop, "停 止", "Stop")                                                                \
    X(CaptionWrite, "确 定", "Write")                                                              \
    X(CaptionExplain, "说 明", "Explain")                                                          \
    X(MsgCommNormal, "通讯数据正常！", "Communication data normal！")                              \
    X(MsgCommError, "通讯数据错误！", "Communication data error！")                                \
    X(MsgSearching, "参数自动搜索......", "Parameters Searching......")                            \
    X(MsgReadFailed, "参数读取失败，请检查相关连接！", "Parameter reading failed！")               \
    X(MsgNoAddress, "模块地址未选择！", "Moudle address not selected！")                           \
    X(MsgOpenPortFirst, "请先打开串口！", "Please open serial port！")                             \
    X(MsgPortUnavailable, "串口不存在或已打开！", "Serial port does not exist or already opened！") \
    X(MsgSettingError, "设置错误！", "Setting error！")                                            \
    X(MsgSelectModel, "请选择模块型号！", "Please select module model！")                          \
    X(ExplainParamRead,                                                                            \
      "该指令可以读取模块的地址、通讯参数、型号等参数，因为使用了群发地址，所以读取时要求485网络中" \
      "只能有一个模块，否则会造成读取错误！",                                                      \
      "It's a broadcast order,you need keep only one module in RS485 network when you use this "   \
      "order.")                                                                                    \
    X(ExplainAddressChange,                                                                        \
      "模块的默认地址是1，当需要多个模块进行组网时，可对每个模块的地址进行单独设置，因为使用了群发" \
      "地址，所以设置时要求485网络中只能有一个模块，否则会造成485网络中所有模块的地址都设置成同一" \
      "地址，请谨慎使用该指令！",                                                                  \
      "It's a broadcast order,you need keep only one module in RS485 network when you use this "   \
      "order.")                                                                                    \
    X(ExplainParamChange,                                                                          \
      "模块的默认通讯参数是‘9600,8,N(无校验),1’，当设置新的通讯参数后应在通讯设置中选择正确通讯" \
      "参数，并重启通讯端口，请谨慎使用该指令！",                                                  \
      "This order will change the communication parameters of the module, please use this order "  \
      "carefully.")                                                                                \
    X(FrameComm, " 通讯设置 ", " Communication ")                                                  \
    X(FrameTemperatureInput, " 温度采集 ", " Temperature Input ")                                  \
    X(FrameAnalogInput, " 模拟量输入采集 ", " Analog Input ")                                      \
    X(FrameAnalogOutput, " 模拟量输出控制 ", " Analog Output ")                                    \
    X(FrameDigitalInput, " 数字量输入采集 ", " Digital Input ")                                    \
    X(FrameDigitalOutput, " 数字量输出控制 ", " Digital Output ")                                  \
    X(FrameRelayOutput, " 继电器输出控制 ", " Relay Output ")                                      \
    X(FrameParamRead, " 模块参数读取 ", " Module Parameter Read ")                                 \
    X(FrameAddressChange, " 模块地址更改 ", " Moudle Address Change ")                             \
    X(FrameParamChange, " 通讯参数更改 ", " Communication Parameter Change ")                      \
    X(FrameRegisterRead, " 寄存器读取 ", " Register Reading ")                                     \
    X(FrameRegisterWrite, " 寄存器写入 ", " Register Writing ")                                    \
    X(LabelPort, "串口号", "Serial No.")                                                           \
    X(LabelBaud, "波特率", "Baud Rate")                                                            \
    X(LabelParity, "校验位", "Parity Bit")                                                         \
    X(LabelDataBits, "数据位", "Data Bit")                                                         \
    X(LabelStopBits, "停止位", "Stop Bit")                                                         \
    X(LabelSendData, "串口发送数据", "Serial Send Data")                                           \
    X(LabelReceiveData, "串口接收数据", "Serial Recieve Data")                                     \
    X(LabelCommStatus, "串口通讯信息", "Serial Comm Status")                                       \
    X(LabelAddress, "模块地址", "Address")                                                         \
    X(LabelNewAddress, "模块新地址", "New Address")                                                \
    X(LabelParameters, "通讯参数", "Parameters")                                                   \
    X(LabelModelSelect, "模块型号选择", "Model Select")                                            \
    X(TitleParameterSetting, "参数设置", "Parameter Setting")                                      \
    X(TitleRegisterWindow, "寄存器读写", "Register Reading / Writing")                             \
    X(NoSensor, "未连接", "No Sensor")

enum class TextKey {
#define ZN_TEXT_ENUM(key, zh, en) key,
    ZN_TEXT_KEYS(ZN_TEXT_ENUM)
#undef ZN_TEXT_ENUM
        Count
};

namespace TextTable {
// Filled once by the start-up; read-only afterwards.
void Fill(bool english);
const QString& Text(TextKey key);
QString KeyName(TextKey key);
}  // namespace TextTable

// Short form used by every window: Tt(TextKey::MsgCommError).
inline const QString& Tt(TextKey key) { return TextTable::Text(key); }
