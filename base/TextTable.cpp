#include "base/TextTable.h"

#include <array>

namespace {
constexpr int kCount = static_cast<int>(TextKey::Count);

struct Entry {
    TextKey key;
    const char* name;
    const char* chinese;
    const char* english;
};

// clang-format off
const Entry kEntries[] = {
    {TextKey::ParityNone, "ParityNone",
     "无校验",
     "None"},
    {TextKey::ParityOdd, "ParityOdd",
     "奇校验",
     "Odd"},
    {TextKey::ParityEven, "ParityEven",
     "偶校验",
     "Even"},
    {TextKey::ParityNoneTagged, "ParityNoneTagged",
     "N(无校验)",
     "None"},
    {TextKey::ParityOddTagged, "ParityOddTagged",
     "O(奇校验)",
     "Odd"},
    {TextKey::ParityEvenTagged, "ParityEvenTagged",
     "E(偶校验)",
     "Even"},
    {TextKey::PrefixAddress, "PrefixAddress",
     "模块地址: ",
     "Address: "},
    {TextKey::PrefixParameters, "PrefixParameters",
     "通讯参数: ",
     "Parameters: "},
    {TextKey::PrefixModel, "PrefixModel",
     "模块型号: ",
     "Model: "},
    {TextKey::CaptionPortClose, "CaptionPortClose",
     "关闭串口",
     "Port Close"},
    {TextKey::CaptionPortOpen, "CaptionPortOpen",
     "打开串口",
     "Port Open"},
    {TextKey::CaptionRead, "CaptionRead",
     "读 取",
     "Read"},
    {TextKey::CaptionStop, "CaptionStop",
     "停 止",
     "Stop"},
    {TextKey::CaptionWrite, "CaptionWrite",
     "确 定",
     "Write"},
    {TextKey::CaptionExplain, "CaptionExplain",
     "说 明",
     "Explain"},
    {TextKey::MsgCommNormal, "MsgCommNormal",
     "通讯数据正常！",
     "Communication data normal！"},
    {TextKey::MsgCommError, "MsgCommError",
     "通讯数据错误！",
     "Communication data error！"},
    {TextKey::MsgSearching, "MsgSearching",
     "参数自动搜索......",
     "Parameters Searching......"},
    {TextKey::MsgReadFailed, "MsgReadFailed",
     "参数读取失败，请检查相关连接！",
     "Parameter reading failed！"},
    {TextKey::MsgNoAddress, "MsgNoAddress",
     "模块地址未选择！",
     "Moudle address not selected！"},
    {TextKey::MsgOpenPortFirst, "MsgOpenPortFirst",
     "请先打开串口！",
     "Please open serial port！"},
    {TextKey::MsgPortUnavailable, "MsgPortUnavailable",
     "串口不存在或已打开！",
     "Serial port does not exist or already opened！"},
    {TextKey::MsgSettingError, "MsgSettingError",
     "设置错误！",
     "Setting error！"},
    {TextKey::MsgSelectModel, "MsgSelectModel",
     "请选择模块型号！",
     "Please select module model！"},
    {TextKey::ExplainParamRead, "ExplainParamRead",
     "该指令可以读取模块的地址、通讯参数、型号等参数，因为使用了群发地址，所以读取时要求485网络"
     "中"
     "只能有一个模块，否则会造成读取错误！",
     "It's a broadcast order,you need keep only one module in RS485 network when you use this "
     "order."},
    {TextKey::ExplainAddressChange, "ExplainAddressChange",
     "模块的默认地址是1，当需要多个模块进行组网时，可对每个模块的地址进行单独设置，因为使用了群"
     "发"
     "地址，所以设置时要求485网络中只能有一个模块，否则会造成485网络中所有模块的地址都设置成同一"
     "地址，请谨慎使用该指令！",
     "It's a broadcast order,you need keep only one module in RS485 network when you use this "
     "order."},
    {TextKey::ExplainParamChange, "ExplainParamChange",
     "模块的默认通讯参数是‘9600,8,N(无校验),1’，当设置新的通讯参数后应在通讯设置中选择正确通讯"
     "参数，并重启通讯端口，请谨慎使用该指令！",
     "This order will change the communication parameters of the module, please use this order "
     "carefully."},
    {TextKey::FrameComm, "FrameComm",
     " 通讯设置 ",
     " Communication "},
    {TextKey::FrameTemperatureInput, "FrameTemperatureInput",
     " 温度采集 ",
     " Temperature Input "},
    {TextKey::FrameAnalogInput, "FrameAnalogInput",
     " 模拟量输入采集 ",
     " Analog Input "},
    {TextKey::FrameAnalogOutput, "FrameAnalogOutput",
     " 模拟量输出控制 ",
     " Analog Output "},
    {TextKey::FrameDigitalInput, "FrameDigitalInput",
     " 数字量输入采集 ",
     " Digital Input "},
    {TextKey::FrameDigitalOutput, "FrameDigitalOutput",
     " 数字量输出控制 ",
     " Digital Output "},
    {TextKey::FrameRelayOutput, "FrameRelayOutput",
     " 继电器输出控制 ",
     " Relay Output "},
    {TextKey::FrameParamRead, "FrameParamRead",
     " 模块参数读取 ",
     " Module Parameter Read "},
    {TextKey::FrameAddressChange, "FrameAddressChange",
     " 模块地址更改 ",
     " Moudle Address Change "},
    {TextKey::FrameParamChange, "FrameParamChange",
     " 通讯参数更改 ",
     " Communication Parameter Change "},
    {TextKey::FrameRegisterRead, "FrameRegisterRead",
     " 寄存器读取 ",
     " Register Reading "},
    {TextKey::FrameRegisterWrite, "FrameRegisterWrite",
     " 寄存器写入 ",
     " Register Writing "},
    {TextKey::LabelPort, "LabelPort",
     "串口号",
     "Serial No."},
    {TextKey::LabelBaud, "LabelBaud",
     "波特率",
     "Baud Rate"},
    {TextKey::LabelParity, "LabelParity",
     "校验位",
     "Parity Bit"},
    {TextKey::LabelDataBits, "LabelDataBits",
     "数据位",
     "Data Bit"},
    {TextKey::LabelStopBits, "LabelStopBits",
     "停止位",
     "Stop Bit"},
    {TextKey::LabelSendData, "LabelSendData",
     "串口发送数据",
     "Serial Send Data"},
    {TextKey::LabelReceiveData, "LabelReceiveData",
     "串口接收数据",
     "Serial Recieve Data"},
    {TextKey::LabelCommStatus, "LabelCommStatus",
     "串口通讯信息",
     "Serial Comm Status"},
    {TextKey::LabelAddress, "LabelAddress",
     "模块地址",
     "Address"},
    {TextKey::LabelNewAddress, "LabelNewAddress",
     "模块新地址",
     "New Address"},
    {TextKey::LabelParameters, "LabelParameters",
     "通讯参数",
     "Parameters"},
    {TextKey::LabelModelSelect, "LabelModelSelect",
     "模块型号选择",
     "Model Select"},
    {TextKey::TitleParameterSetting, "TitleParameterSetting",
     "参数设置",
     "Parameter Setting"},
    {TextKey::TitleRegisterWindow, "TitleRegisterWindow",
     "寄存器读写",
     "Register Reading / Writing"},
    {TextKey::NoSensor, "NoSensor",
     "未连接",
     "No Sensor"},
    {TextKey::CaptionTraffic, "CaptionTraffic",
     "报文监视",
     "Traffic"},
    {TextKey::MsgPortNoAccessGroup, "MsgPortNoAccessGroup",
     "当前用户无权访问 %1（属于用户组 %2）。请执行 sudo usermod -aG %2 $USER，"
     "然后注销并重新登录。",
     "You have no access to %1 (it belongs to the group %2). Run sudo usermod -aG %2 $USER, "
     "then log out and in again."},
    {TextKey::MsgPortNoAccess, "MsgPortNoAccess",
     "当前用户无权访问 %1，也没有用户组可以访问它。请管理员开放该设备的权限。",
     "You have no access to %1, and no group has. Ask the administrator to grant access to "
     "it."},
    {TextKey::MsgPortBusyBy, "MsgPortBusyBy",
     "%1 正被其他程序占用：%2。请先关闭该程序。",
     "Another program holds %1: %2. Close it first."},
    {TextKey::MsgPortBusy, "MsgPortBusy",
     "%1 正被其他程序占用。请先关闭该程序。",
     "Another program holds %1. Close it first."},
    {TextKey::MsgPortMissing, "MsgPortMissing",
     "%1 不存在：适配器未插入，或端口名称有误。",
     "There is no serial port %1: the adapter is not plugged in, or the name is "
     "wrong."},
    {TextKey::MsgPortOtherError, "MsgPortOtherError",
     "打开 %1 时系统报告：%2",
     "Opening %1, the system reported: %2"},
    {TextKey::MsgNetBadAddress, "MsgNetBadAddress",
     "%1 不是有效的网络线路：请写成 tcp://主机:端口、rfc2217://主机:端口 或 "
     "modbus-tcp://主机[:端口]。",
     "%1 is not a network line: write tcp://HOST:PORT, rfc2217://HOST:PORT or "
     "modbus-tcp://HOST[:PORT]."},
    {TextKey::MsgNetNameNotFound, "MsgNetNameNotFound",
     "%1：找不到该主机名。请检查拼写，或直接输入网关的 IP 地址。",
     "%1: the host name is not found. Check its spelling, or type the gateway's IP address."},
    {TextKey::MsgNetRefused, "MsgNetRefused",
     "%1：连接被拒绝，该端口上没有服务在监听。请检查端口号，以及网关的该服务是否已启用。",
     "%1: the connection was refused, nothing listens at that port. Check the port number and "
     "that the gateway's service is on."},
    {TextKey::MsgNetTimedOut, "MsgNetTimedOut",
     "%1：%2 秒内无应答。主机可能已关机、未接网线，或被防火墙过滤。请检查地址和网络。",
     "%1: no answer within %2 s. The host is off or unplugged, or a firewall filters it. "
     "Check the address and the network."},
    {TextKey::MsgNetNoLineSettings, "MsgNetNoLineSettings",
     "%1 未确认串口参数：该端口可能不是 RFC 2217 服务。请改用 tcp:// 或在网关上启用 RFC 2217。",
     "%1 did not acknowledge the line settings: that port may not be an RFC 2217 service. Use "
     "tcp:// instead, or turn RFC 2217 on in the gateway."},
    {TextKey::MsgNetSettingsRefused, "MsgNetSettingsRefused",
     "%1 未采用所设的串口参数 %2，而是确认了 %3：网关可能不支持这些参数。请在网关上检查其串口能力。",
     "%1 did not take the line settings %2 and acknowledged %3 instead: the gateway may not "
     "support them. Check what its serial port can do."},
    {TextKey::MsgNetOtherError, "MsgNetOtherError",
     "连接 %1 时系统报告：%2",
     "Connecting to %1, the system reported: %2"},
    {TextKey::LabelGatewaySettings, "LabelGatewaySettings",
     "网关使用其自身的串口参数",
     "The gateway's own line settings apply"},
    {TextKey::MsgSearchNeedsRfc2217, "MsgSearchNeedsRfc2217",
     "搜索需要逐一改变串口参数，而 tcp:// 和 modbus-tcp:// 线路无法设置网关的串口参数。"
     "请在网关上启用 RFC 2217，并以 rfc2217://主机:端口 打开。",
     "The search tries each line setting in turn, which a tcp:// or modbus-tcp:// line cannot "
     "set: the gateway keeps its own. Turn RFC 2217 on in the gateway and open it as "
     "rfc2217://HOST:PORT."},
    {TextKey::MsgChangeNeedsRfc2217, "MsgChangeNeedsRfc2217",
     "修改后模块只在新的串口参数下应答，而 tcp:// 和 modbus-tcp:// 线路无法让网关跟随。"
     "请在网关上启用 RFC 2217，并以 rfc2217://主机:端口 打开。",
     "After the change the module answers only at its new line settings, which a tcp:// or "
     "modbus-tcp:// line cannot make the gateway follow. Turn RFC 2217 on in the gateway and "
     "open it as rfc2217://HOST:PORT."},
    {TextKey::PortUsbAdapter, "PortUsbAdapter",
     "USB 串口适配器",
     "USB serial adapter"},
    {TextKey::PortBuiltIn, "PortBuiltIn",
     "板载串口",
     "built-in serial port"},
    {TextKey::PortSerialNumber, "PortSerialNumber",
     "序列号 %1",
     "serial number %1"},
    {TextKey::PortNow, "PortNow",
     "当前为 %1",
     "now %1"},
};
// clang-format on

std::array<QString, kCount>& Table() {
    static std::array<QString, kCount> table;
    return table;
}

const Entry* EntryOf(TextKey key) {
    for (const Entry& entry : kEntries)
        if (entry.key == key) return &entry;
    return nullptr;
}
}  // namespace

namespace TextTable {
void Fill(bool english) {
    for (QString& text : Table()) text.clear();
    for (const Entry& entry : kEntries)
        Table()[static_cast<int>(entry.key)] =
            QString::fromUtf8(english ? entry.english : entry.chinese);
}

const QString& Text(TextKey key) {
    return Table()[static_cast<int>(key)];
}

QString KeyName(TextKey key) {
    const Entry* entry = EntryOf(key);
    return entry ? QString::fromLatin1(entry->name) : QString::number(static_cast<int>(key));
}
}  // namespace TextTable
