#include "core/scan/ScanTexts.h"

#include "base/Switches.h"

namespace ScanTexts {
namespace {
struct Pair {
    const char* en;
    const char* zh;
};

constexpr Pair kTexts[] = {
    {"Bus Scan", "总线扫描"},
    {"Scan", "扫描"},
    {"Batch commissioning", "批量设置"},
    {"Scan the line", "扫描总线"},
    {"Addresses from", "地址从"},
    {"to", "到"},
    {"All line settings", "所有通信参数"},
    {"Reply wait", "应答等待"},
    {"auto", "自动"},
    {"auto: %1 ms at %2", "自动：%2 时为 %1 ms"},
    {"Scan", "扫描"},
    {"Stop", "停止"},
    {"Copy", "复制"},
    {"Save CSV...", "保存 CSV..."},
    {"Save as line file", "存为线路文件"},
    {"Line files (*.json)", "线路文件 (*.json)"},
    {"Open test window", "打开调试窗口"},
    {"CSV files (*.csv)", "CSV 文件 (*.csv)"},
    {"Address %1 at %2, about %3 s left", "地址 %1，%2，约剩 %3 秒"},
    {"Anything at %1? (broadcast read), about %2 s left",
     "%1 是否有模块？（广播读取），约剩 %2 秒"},
    {"%1 modules found in %2 s", "找到 %1 个模块，用时 %2 秒"},
    {"Stopped: %1 modules found", "已停止：找到 %1 个模块"},
    {"Saved to %1", "已保存到 %1"},
    {"Not saved: %1 (%2)", "未保存：%1（%2）"},
    {"Address", "地址"},
    {"Model", "型号"},
    {"Settings (code)", "参数（代码）"},
    {"Answered at", "应答参数"},
    {"Response ms", "响应 ms"},
    {"Note", "备注"},
    {"model code %1", "型号代码 %1"},
    {"unknown code %1", "未知代码 %1"},
    {"answers at other settings than its code says", "应答参数与参数代码不符"},
    {"register 100 holds %1", "寄存器 100 为 %1"},
    {"something answers, not a module's reply: %1", "有应答，但不是模块的应答：%1"},
    {"slow: answered %1 ms after its request, past the reply wait; a wait of %2 ms would find it "
     "cleanly",
     "响应慢：请求后 %1 ms 才应答，已超过应答等待；应答等待设为 %2 ms 可正常找到"},
    {"exception %1", "异常 %1"},
    {"bad CRC (two modules at this address?)", "CRC 错误（此地址有两个模块？）"},
    {"wrong length", "长度不符"},
    {"wrong address or function", "地址或功能码不符"},
    {"Give addresses one module at a time", "逐个模块设置地址"},
    {"First address", "起始地址"},
    {"Step", "步长"},
    {"Also give line settings", "同时设置通信参数"},
    {"Look for it at all line settings", "在所有通信参数下查找"},
    {"Log file", "记录文件"},
    {"...", "..."},
    {"Start", "开始"},
    {"Retry", "重试"},
    {"Press Start, then connect the first module", "按“开始”，再接上第一个模块"},
    {"Waiting for a module (%1)", "等待模块（%1）"},
    {"%1 found at address %2: giving it address %3", "找到 %1，地址 %2：正在设为地址 %3"},
    {"DONE: %1 now at address %2, %3", "完成：%1 现为地址 %2，%3"},
    {"FAILED: %1", "失败：%1"},
    {"Verified: %1    Next address: %2", "已完成：%1    下一个地址：%2"},
    {"the module refused the write (exception %1)", "模块拒绝写入（异常 %1）"},
    {"no answer to the write", "写入无应答"},
    {"the answer to the write was not right", "写入的应答不正确"},
    {"it does not answer at address %1", "模块在地址 %1 无应答"},
    {"it does not answer at %1", "模块在 %1 无应答"},
    {"read back differs: %1", "回读不符：%1"},
    {"no address left", "已无可用地址"},
    {"Time", "时间"},
    {"Model", "型号"},
    {"Old address", "原地址"},
    {"Old settings", "原参数"},
    {"New address", "新地址"},
    {"New settings", "新参数"},
    {"Verified", "已验证"},
    {"Reason", "原因"},
    {"yes", "是"},
    {"no", "否"},
    {"Log file %1 cannot be written (%2)", "无法写入记录文件 %1（%2）"},
    {"Not started: the log file %1 cannot be opened (%2). Choose a log file in a folder that "
     "exists and can be written.",
     "未开始：无法打开记录文件 %1（%2）。请选择存在且可写入的文件夹中的记录文件。"},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == KeyCount, "one pair per key");
}  // namespace

QString Text(Key key) {
    return Text(key, Switches().EnglishUi == 1);
}

QString Text(Key key, bool english) {
    const Pair& pair = kTexts[key];
    return QString::fromUtf8(english ? pair.en : pair.zh);
}
}  // namespace ScanTexts
