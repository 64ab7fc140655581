#include "windows/overview/OverviewTexts.h"

#include <array>

#include "base/Switches.h"
#include "core/modules/ParameterCodes.h"
#include "core/overview/OverviewRows.h"

namespace OverviewTexts {
namespace {
struct Pair {
    const char* en;
    const char* zh;
};
constexpr std::array<Pair, KeyCount> kTexts = {{
    {"Line Overview", "线路总览"},
    {"Line Overview", "线路总览"},
    {"Open...", "打开..."},
    {"Save...", "保存..."},
    {"Add line", "添加线路"},
    {"Edit line", "编辑线路"},
    {"Remove line", "删除线路"},
    {"Add module", "添加模块"},
    {"Edit module", "编辑模块"},
    {"Remove module", "删除模块"},
    {"From scan CSV...", "导入扫描CSV..."},
    {"Start", "开始"},
    {"Stop", "停止"},
    {"Reset counts", "计数清零"},
    {"Record", "记录"},
    {"Trend", "趋势"},
    {"Alarms", "报警"},
    {"Line files (*.json)", "线路文件 (*.json)"},
    {"CSV files (*.csv)", "CSV 文件 (*.csv)"},
    {"No line file: open one, or add a line.", "没有线路文件: 请打开一个，或添加线路。"},
    {"Polling %1 line(s), %2 module(s).", "正在巡检 %1 条线路，%2 个模块。"},
    {"Stopped.", "已停止。"},
    {"Saved %1", "已保存 %1"},
    {"%1 could not be saved: %2", "%1 无法保存: %2"},
    {"Line \"%1\" stopped: %2", "线路 \"%1\" 已停止: %2"},
    {"Line \"%1\" is lent to a test window until it closes.",
     "线路 \"%1\" 已交给调试窗口，关闭后收回。"},
    {"Recording readings to %1, alarms to %2", "读数记录到 %1，报警记录到 %2"},
    {"Recording to %1 ended: %2", "记录 %1 已结束: %2"},
    {"Choose a module's row first.", "请先选择一个模块所在的行。"},
    {"Choose a line first.", "请先选择一条线路。"},
    {"%1 has no readings to draw.", "%1 没有可绘制的读数。"},
    {"Name", "名称"},
    {"Port", "串口"},
    {"Baud rate", "波特率"},
    {"Parity", "校验"},
    {"Reply wait (ms)", "应答等待 (ms)"},
    {"by the baud rate", "按波特率"},
    {"Address", "地址"},
    {"Model", "型号"},
    {"Tag", "位号"},
    {"Polled", "巡检"},
    {"Channel", "通道"},
    {"Low", "下限"},
    {"High", "上限"},
    {"Hysteresis", "回差"},
    {"Line", "线路"},
    {"Module", "模块"},
    {"%1, %2: '%3' is not a number.", "%1，%2: '%3' 不是数字。"},
    {"Publish", "发布"},
    {"Publish to an MQTT broker", "发布到 MQTT 代理"},
    {"Broker (mqtt://HOST[:PORT])", "代理 (mqtt://主机[:端口])"},
    {"Topic prefix", "主题前缀"},
    {"Client id (empty: host and file name)", "客户端标识 (空: 主机名和文件名)"},
    {"Password file (user, then password)", "密码文件 (用户名，然后密码)"},
    {"CA file (mqtts://)", "CA 证书文件 (mqtts://)"},
    {"Home Assistant discovery", "Home Assistant 自动发现"},
    {"Discovery prefix", "自动发现前缀"},
    {"...", "..."},
    {"Publishing to %1 under %2/", "正在发布到 %1，主题 %2/"},
}};

bool English() {
    return Switches().EnglishUi == 1;
}
}  // namespace

QString Text(Key key) {
    const Pair& pair = kTexts[key];
    return QString::fromUtf8(English() ? pair.en : pair.zh);
}

QStringList ModuleColumns() {
    if (English())
        return {"Line",     "Tag",      "Address", "Model",    "Model read", "Status",
                "Readings", "Requests", "Replies", "No reply", "Bad CRC",    "Exceptions",
                "Min ms",   "Mean ms",  "Max ms",  "Last seen"};
    return {"线路", "位号",   "地址",  "型号", "读出型号", "状态",   "读数",   "请求",
            "应答", "无应答", "CRC错", "异常", "最小ms",   "平均ms", "最大ms", "最后应答"};
}

QStringList AlarmColumns() {
    if (English())
        return {"Raised",  "Cleared", "Line",  "Tag",  "Address",
                "Channel", "Alarm",   "Value", "Limit"};
    return {"发生", "解除", "线路", "位号", "地址", "通道", "报警", "数值", "限值"};
}

QString StatusText(const ModuleReport* report, bool enabled) {
    if (!enabled) return English() ? "off" : "停用";
    if (!report) return QString();
    return AlarmText(OverviewRows::StatusWord(*report));
}

QString IdentityText(const std::optional<ModuleParameters>& identity) {
    if (!identity) return QString();
    const QString settings = ParameterCodes::EntryOfCode(identity->parameterCode);
    return QString(English() ? "address %1, %2 (%3)" : "地址 %1, %2 (%3)")
        .arg(identity->address)
        .arg(settings.isEmpty() ? QStringLiteral("?") : settings)
        .arg(identity->parameterCode);
}

QString AlarmText(const QString& alarm) {
    if (English()) return alarm;
    static const std::map<QString, QString> chinese = {{"ok", "正常"},
                                                       {"late", "迟缓"},
                                                       {"failing", "故障"},
                                                       {"offline", "离线"},
                                                       {"wrong model", "型号不符"},
                                                       {"high", "高报"},
                                                       {"low", "低报"}};
    const auto found = chinese.find(alarm);
    return found == chinese.end() ? alarm : found->second;
}
}  // namespace OverviewTexts
