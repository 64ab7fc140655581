#include "core/listen/ListenTexts.h"

#include "core/line/LineTexts.h"

namespace ListenTexts {
namespace {
struct Pair {
    const char* english;
    const char* chinese;
};
constexpr Pair kTexts[KeyCount] = {
    {"Listen Only", "只监听"},
    {"Listen Only - a bus another master drives", "只监听 - 由其他主站驱动的总线"},
    {"Line", "线路"},
    {"Line settings", "通讯参数"},
    {"Silence tolerance ×", "静默容差 ×"},
    {"Late after ms", "过迟判定 ms"},
    {"No reply after ms", "无应答判定 ms"},
    {"Listen", "开始监听"},
    {"Stop", "停止"},
    {"Modules heard", "已听到的模块"},
    {"Listening on %1 at %2: nothing is sent", "正在监听 %1（%2）：不发送任何字节"},
    {"Not listening", "未监听"},
    {nullptr, nullptr},  // the line's own words (LineTexts)
    {"%1 frames heard, %2 noise", "已听到 %1 帧，干扰 %2"},
    {"Address", "地址"},
    {"Model", "型号"},
    {"Requests", "请求"},
    {"Replies", "应答"},
    {"Exceptions", "异常"},
    {"No reply", "无应答"},
    {"Bad CRC", "CRC 错误"},
    {"Other faults", "其他故障"},
    {"Min ms", "最短 ms"},
    {"Mean ms", "平均 ms"},
    {"Max ms", "最长 ms"},
    {"Last seen", "最后出现"},
};
}  // namespace

QString Text(Key key, bool english) {
    if (key == CannotListenModbusTcp) return LineTexts::CannotListenModbusTcp(english);
    const Pair& pair = kTexts[key];
    return QString::fromUtf8(english ? pair.english : pair.chinese);
}
}  // namespace ListenTexts
