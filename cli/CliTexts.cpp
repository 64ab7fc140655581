#include "cli/CliTexts.h"

#include <array>

#include "base/Switches.h"

namespace CliTexts {
namespace {
struct Pair {
    const char* en;
    const char* zh;
};
constexpr std::array<Pair, KeyCount> kTexts = {{
    {"unknown command '%1'", "未知命令 '%1'"},
    {"%1: no such option for '%2'", "%1: '%2' 没有这个选项"},
    {"%1: given twice", "%1: 重复给出"},
    {"%1: a value is missing", "%1: 缺少值"},
    {"%1: required", "%1: 必须给出"},
    {"%1: '%2' is not a whole number from %3 to %4", "%1: '%2' 不是 %3 到 %4 之间的整数"},
    {"%1: '%2' is not a number from %3 to %4", "%1: '%2' 不是 %3 到 %4 之间的数"},
    {"%1: '%2' is not a baud rate the modules take", "%1: '%2' 不是模块支持的波特率"},
    {"%1: '%2' is not a parity (N, O or E)", "%1: '%2' 不是校验方式 (N、O 或 E)"},
    {"%1: '%2' is not a format (text, csv or json)", "%1: '%2' 不是输出格式 (text、csv 或 json)"},
    {"%1: '%2' is not a language (zh or en)", "%1: '%2' 不是界面语言 (zh 或 en)"},
    {"%1: '%2' is not a model this command polls", "%1: '%2' 不是本命令可采集的型号"},
    {"%1: '%2' is not a register type (int, float or int32)",
     "%1: '%2' 不是寄存器类型 (int、float 或 int32)"},
    {"--from: %1 is above --to: %2", "--from: %1 大于 --to: %2"},
    {"--count: pairs of registers are read whole", "--count: 寄存器对须整对读取"},
    {"no module answered", "没有模块应答"},
    {"the module that answered has address %1, not %2", "应答的模块地址为 %1，不是 %2"},
    {"address %1: no reply", "地址 %1: 无应答"},
    {"address %1: a reply that is not the one asked for: %2", "地址 %1: 应答不符: %2"},
    {"--new-address, --new-baud or --new-parity: nothing to change",
     "--new-address、--new-baud 或 --new-parity: 没有要修改的参数"},
    {"%1: %2 is not in the parameter list", "%1: %2 不在参数列表中"},
    {"the read-back does not match: %1", "回读不一致: %1"},
    {"--log: %1 cannot be written: %2", "--log: %1 无法写入: %2"},
    {"listening on %1 at %2, sending nothing (Ctrl-C ends)",
     "正在监听 %1 (%2)，不发送任何数据 (Ctrl-C 结束)"},
    {"--record: %1 cannot be written: %2", "--record: %1 无法写入: %2"},
    {"line \"%1\" failed: %2", "线路 \"%1\" 故障: %2"},
    {"watching %1 line(s), %2 module(s) (Ctrl-C ends)",
     "正在巡检 %1 条线路，%2 个模块 (Ctrl-C 结束)"},
    {"Register", "寄存器"},
    {"Value", "数值"},
    {"Time", "时间"},
    {"%1 --help shows what it takes", "%1 --help 列出可用的选项"},
}};

bool English() {
    return Switches().EnglishUi == 1;
}

// One line of help in both languages.
struct HelpLine {
    const char* en;
    const char* zh;
};

QString Lines(std::initializer_list<HelpLine> lines) {
    QString text;
    for (const HelpLine& line : lines) {
        const char* shown = English() ? line.en : line.zh;
        if (shown) text += QString::fromUtf8(shown) + QLatin1Char('\n');  // null: one language only
    }
    return text;
}

QString ProgramHelp() {
    return Lines({
        {"Usage: zntool [COMMAND [OPTIONS]]", "用法: zntool [命令 [选项]]"},
        {"Without a command the main window opens.", "不带命令时打开主窗口。"},
        {"", ""},
        {"Commands:", "命令:"},
        {"  ports        the serial devices present, as the port lists show them",
         "  ports        列出现有的串口设备，与串口列表所示相同"},
        {"  search       finds a module's baud rate and parity",
         "  search       搜索模块的波特率和校验方式"},
        {"  scan         the bus scan, one line per module",
         "  scan         总线扫描，每个模块一行"},
        {"  read         reads registers", "  read         读寄存器"},
        {"  write        writes one register", "  write        写一个寄存器"},
        {"  set          changes a module's address or line settings, verified by a read-back",
         "  set          修改模块地址或通讯参数，并回读核对"},
        {"  commission   gives modules on a bench their addresses one after another",
         "  commission   依次为工作台上的模块分配地址"},
        {"  poll         a module's inputs, one line per poll",
         "  poll         采集模块的输入，每次一行"},
        {"  monitor      the frames of a bus another master drives, sending nothing",
         "  monitor      监听由其他主站驱动的总线报文，不发送任何数据"},
        {"  watch        every module of the lines in a line file, polled at once",
         "  watch        同时巡检线路文件中各线路的所有模块"},
        {"", ""},
        {"Every command takes --port P (COMn, a device path or a network line), --baud B,",
         "每个命令都接受 --port P (COMn、设备路径或网络线路)、--baud B、"},
        {"--parity N|O|E, --format text|csv|json and --lang zh|en.",
         "--parity N|O|E、--format text|csv|json 和 --lang zh|en。"},
        {"zntool COMMAND --help shows its own options.", "zntool 命令 --help 列出该命令的选项。"},
        {"Exit codes: 0 done, 1 a negative result, 2 wrong usage, 3 the line failed.",
         "退出码: 0 完成，1 结果为否，2 用法错误，3 线路故障。"},
    });
}

QString CommandHelp(const QString& command) {
    const QString common = Lines({
        {"  --port P          COMn, a device path, or tcp://, rfc2217://, modbus-tcp://HOST:PORT",
         "  --port P          COMn、设备路径，或 tcp://、rfc2217://、modbus-tcp://主机:端口"},
        {"  --baud B          baud rate (9600)", "  --baud B          波特率 (9600)"},
        {"  --parity N|O|E    parity (N)", "  --parity N|O|E    校验方式 (N)"},
        {"  --format F        text, csv or json (text)",
         "  --format F        text、csv 或 json (text)"},
        {"  --lang zh|en      language of messages and column names",
         "  --lang zh|en      提示信息和列名的语言"},
    });
    const HelpLine wait1000 = {"  --wait MS         reply wait (1000)",
                               "  --wait MS         应答等待时间 (1000)"};
    QString usage, own;
    if (command == "ports") {
        usage = "zntool ports";
    } else if (command == "search") {
        usage = "zntool search --port P [--address A]";
        own = Lines({
            {"  --address A       the address the module must have (1..247)",
             "  --address A       模块应有的地址 (1..247)"},
            {"  --wait MS         reply wait per candidate (300)",
             "  --wait MS         每组参数的应答等待时间 (300)"},
            {"  The search starts at --baud/--parity when given.",
             "  给出 --baud/--parity 时从该参数开始搜索。"},
        });
    } else if (command == "scan") {
        usage =
            "zntool scan --port P [--baud B --parity N|O|E] [--from A --to B] [--all-settings] "
            "[--wait MS]";
        own = Lines({
            {"  --from A, --to B  the addresses tried (1..247)",
             "  --from A, --to B  扫描的地址范围 (1..247)"},
            {"  --all-settings    every baud rate and parity in turn",
             "  --all-settings    依次扫描所有波特率和校验方式"},
            {"  --wait MS         reply wait per address (0: by the baud rate)",
             "  --wait MS         每个地址的应答等待时间 (0: 按波特率)"},
        });
    } else if (command == "read") {
        usage =
            "zntool read --port P --address A --register R [--count N] [--type int|float|int32]";
        own = Lines({
            {"  --register R      first register (0..65535)",
             "  --register R      起始寄存器 (0..65535)"},
            {"  --count N         values read (1)", "  --count N         读取的数值个数 (1)"},
            {"  --type T          int, or float / int32 from a pair, high register first",
             "  --type T          int，或由一对寄存器组成的 float / int32，高位寄存器在前"},
            wait1000,
        });
    } else if (command == "write") {
        usage = "zntool write --port P --address A --register R --value V";
        own = Lines({
            {"  --register R      register (0..65535, or &H and hex digits)",
             "  --register R      寄存器 (0..65535，或 &H 加十六进制数字)"},
            {"  --value V         value (0..65535, or &H and hex digits)",
             "  --value V         数值 (0..65535，或 &H 加十六进制数字)"},
            wait1000,
        });
    } else if (command == "set") {
        usage = "zntool set --port P --address A [--new-address N] [--new-baud B --new-parity X]";
        own = Lines({
            {"  --address A       the module's address now (1..247)",
             "  --address A       模块现在的地址 (1..247)"},
            {"  --new-address N   its new address (1..247)", "  --new-address N   新地址 (1..247)"},
            {"  --new-baud B, --new-parity X  its new line settings",
             "  --new-baud B, --new-parity X  新的通讯参数"},
            wait1000,
        });
    } else if (command == "commission") {
        usage =
            "zntool commission --port P --first A [--step S] [--give-baud B --give-parity X] "
            "[--count N] [--log FILE [--rotate-mb N | --rotate-midnight]]";
        own = Lines({
            {"  --first A         the address the first module gets (1..247)",
             "  --first A         第一个模块获得的地址 (1..247)"},
            {"  --step S          added for each next module (1)",
             "  --step S          每个后续模块的地址增量 (1)"},
            {"  --give-baud B, --give-parity X  line settings each module gets",
             "  --give-baud B, --give-parity X  每个模块获得的通讯参数"},
            {"  --count N         modules, then the end (0: until Ctrl-C)",
             "  --count N         模块个数 (0: 直到 Ctrl-C)"},
            {"  --log FILE        each attempt appended as a CSV row",
             "  --log FILE        每次尝试追加一行 CSV 记录"},
            {"  --rotate-mb N, --rotate-midnight  the log goes on in a new dated file at N MB or",
             "  --rotate-mb N, --rotate-midnight  日志达到 N MB 或到午夜时，转入新的带日期的文件"},
            {"                    at midnight", nullptr},
            {"  Modules are looked for at --baud/--parity.", "  按 --baud/--parity 寻找模块。"},
        });
    } else if (command == "poll") {
        usage = "zntool poll --port P --address A --model M [--count N] [--interval MS]";
        own = Lines({
            {"  --model M         ZN210, ZN220, ZN260, ZN270, ZN310, ZN330, ZN350, ZN410, ZN420 or "
             "ZN430",
             "  --model M         ZN210、ZN220、ZN260、ZN270、ZN310、ZN330、ZN350、ZN410、ZN420 或 "
             "ZN430"},
            {"  --count N         polls, then the end (0: until Ctrl-C)",
             "  --count N         采集次数 (0: 直到 Ctrl-C)"},
            {"  --interval MS     time between polls (1000)",
             "  --interval MS     采集间隔 (1000)"},
            wait1000,
        });
    } else if (command == "monitor") {
        usage = "zntool monitor --port P [--listen-only] [--count N] [--seconds S]";
        own = Lines({
            {"  --listen-only     the line is opened so that nothing can be written (always so)",
             "  --listen-only     以只读方式打开线路，无法写入任何数据 (始终如此)"},
            {"  --count N         frames, then the end (0: until Ctrl-C)",
             "  --count N         报文条数 (0: 直到 Ctrl-C)"},
            {"  --seconds S       listen this long (0: until Ctrl-C)",
             "  --seconds S       监听时长 (0: 直到 Ctrl-C)"},
            {"  --tolerance X     the silence that ends a frame, in 3.5 characters (1.5)",
             "  --tolerance X     报文间隔的倍数，以 3.5 个字符时间计 (1.5)"},
            {"  --late MS         a reply later than this is late (500)",
             "  --late MS         应答晚于此时间即为过迟 (500)"},
            {"  --no-reply MS     no reply this long after a request: none (1000)",
             "  --no-reply MS     请求后此时间内无应答即为无应答 (1000)"},
            {"  Each module's tally goes to standard error at the end.",
             "  结束时各模块的统计输出到标准错误。"},
        });
    } else if (command == "watch") {
        usage =
            "zntool watch --line FILE [--seconds N] [--record FILE [--rotate-mb N | "
            "--rotate-midnight]]\n"
            "                    [--mqtt URL [--mqtt-prefix P] [--mqtt-id ID] [--mqtt-auth FILE]\n"
            "                    [--mqtt-ca FILE] [--ha-discovery [PREFIX]]]";
        own = Lines({
            {"  --line FILE       the line file: its lines, their ports and settings, the",
             "  --line FILE       线路文件: 各线路及其串口、通讯参数、模块和报警限值"},
            {"                    modules and their alarm limits", nullptr},
            {"  --seconds N       watch this long (0: until Ctrl-C)",
             "  --seconds N       巡检时长 (0: 直到 Ctrl-C)"},
            {"  --record FILE     every reading also to a CSV file, one row per channel",
             "  --record FILE     同时将每个读数记录到 CSV 文件，每个通道一行"},
            {"  --rotate-mb N, --rotate-midnight  the recording goes on in a new dated file at",
             "  --rotate-mb N, --rotate-midnight  记录达到 N MB 或到午夜时，转入新的带日期的文件"},
            {"                    N MB or at midnight", nullptr},
            {"  --mqtt URL        publish to the broker mqtt://HOST[:PORT] or mqtts://HOST[:PORT]:",
             "  --mqtt URL        发布到代理 mqtt://主机[:端口] 或 mqtts://主机[:端口]:"},
            {"                    P/LINE/ADDRESS/state, /availability and /alarm, and",
             "                    P/线路/地址/state、/availability 和 /alarm，以及"},
            {"                    P/watcher/ID/status (its last will: offline)",
             "                    P/watcher/ID/status (遗嘱消息: offline)"},
            {"  --mqtt-prefix P   the topics' prefix (zn)", "  --mqtt-prefix P   主题前缀 (zn)"},
            {"  --mqtt-id ID      the client id (zntool-HOST-LINEFILE)",
             "  --mqtt-id ID      客户端标识 (zntool-主机名-线路文件名)"},
            {"  --mqtt-auth FILE  a user name, then the password on the next line",
             "  --mqtt-auth FILE  第一行为用户名，第二行为密码"},
            {"  --mqtt-ca FILE    the authority that signed an mqtts:// broker's certificate",
             "  --mqtt-ca FILE    mqtts:// 代理证书的签发机构"},
            {"  --ha-discovery [PREFIX]  Home Assistant discovery under PREFIX (homeassistant)",
             "  --ha-discovery [PREFIX]  在 PREFIX (homeassistant) 下发布 Home Assistant 自动发现"},
            {"  --format F        text, csv or json (text)",
             "  --format F        text、csv 或 json (text)"},
            {"  --lang zh|en      language of messages", "  --lang zh|en      提示信息的语言"},
            {"  Each line is polled by its own worker; a module that fails three polls in a row",
             "  每条线路由各自的任务依次采集；连续三次失败的模块转为离线，"},
            {"  is offline and tried again at most once a minute.", "  之后最多每分钟重试一次。"},
            {"  A broker away is said once and tried again, from every 1 s up to every 60 s;",
             "  代理不可用时提示一次并重试，间隔从 1 秒增至 60 秒；"},
            {"  polling goes on.", "  巡检继续。"},
            {"  Exit codes: 2 a refused line file or broker setting, 3 a line that failed.",
             "  退出码: 2 线路文件或代理设置被拒绝，3 线路故障。"},
        });
        return Lines({{"Usage: ", "用法: "}}).chopped(1) + usage + QLatin1Char('\n') +
               QLatin1Char('\n') + Lines({{"Options:", "选项:"}}) + own;
    } else {
        usage = "zntool " + command;
    }
    return Lines({{"Usage: ", "用法: "}}).chopped(1) + usage + QLatin1Char('\n') +
           QLatin1Char('\n') + Lines({{"Options:", "选项:"}}) + own + common;
}
}  // namespace

QString Text(Key key) {
    const Pair& pair = kTexts[key];
    return QString::fromUtf8(English() ? pair.en : pair.zh);
}

QString Help(const QString& command) {
    return command.isEmpty() ? ProgramHelp() : CommandHelp(command);
}
}  // namespace CliTexts
