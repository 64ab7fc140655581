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
    {"Register", "寄存器"},
    {"Value", "数值"},
    {"Time", "时间"},
    {"%1 --help shows what it takes", "%1 --help 列出可用的选项"},
}};

const char* kProgramHelp =
    "Usage: zntool [COMMAND [OPTIONS]]\n"
    "Without a command the main window opens.\n"
    "\n"
    "Commands:\n"
    "  ports        the serial devices present, as the port lists show them\n"
    "  search       finds a module's baud rate and parity\n"
    "  scan         the bus scan, one line per module\n"
    "  read         reads registers\n"
    "  write        writes one register\n"
    "  set          changes a module's address or line settings, verified by a read-back\n"
    "  commission   gives modules on a bench their addresses one after another\n"
    "  poll         an input module's readings, one line per poll\n"
    "\n"
    "Every command takes --port P (COMn or a device path), --baud B, --parity N|O|E,\n"
    "--format text|csv|json and --lang zh|en. zntool COMMAND --help shows its own options.\n"
    "Exit codes: 0 done, 1 a negative result, 2 wrong usage, 3 the line failed.\n";

QString CommandHelp(const QString& command) {
    const QString common =
        "  --port P          COMn, or a device path\n"
        "  --baud B          baud rate (9600)\n"
        "  --parity N|O|E    parity (N)\n"
        "  --format F        text, csv or json (text)\n"
        "  --lang zh|en      language of messages and column names\n";
    QString usage, own;
    if (command == "ports") {
        usage = "zntool ports";
    } else if (command == "search") {
        usage = "zntool search --port P [--address A]";
        own =
            "  --address A       the address the module must have (1..247)\n"
            "  --wait MS         reply wait per candidate (300)\n"
            "  The search starts at --baud/--parity when given.\n";
    } else if (command == "scan") {
        usage =
            "zntool scan --port P [--baud B --parity N|O|E] [--from A --to B] [--all-settings] "
            "[--wait MS]";
        own =
            "  --from A, --to B  the addresses tried (1..247)\n"
            "  --all-settings    every baud rate and parity in turn\n"
            "  --wait MS         reply wait per address (0: by the baud rate)\n";
    } else if (command == "read") {
        usage =
            "zntool read --port P --address A --register R [--count N] [--type int|float|int32]";
        own =
            "  --register R      first register (0..65535)\n"
            "  --count N         values read (1)\n"
            "  --type T          int, or float / int32 from a pair, high register first\n"
            "  --wait MS         reply wait (1000)\n";
    } else if (command == "write") {
        usage = "zntool write --port P --address A --register R --value V";
        own =
            "  --register R      register (0..65535, or &H and hex digits)\n"
            "  --value V         value (0..65535, or &H and hex digits)\n"
            "  --wait MS         reply wait (1000)\n";
    } else if (command == "set") {
        usage = "zntool set --port P --address A [--new-address N] [--new-baud B --new-parity X]";
        own =
            "  --address A       the module's address now (1..247)\n"
            "  --new-address N   its new address (1..247)\n"
            "  --new-baud B, --new-parity X  its new line settings\n"
            "  --wait MS         reply wait (1000)\n";
    } else if (command == "commission") {
        usage =
            "zntool commission --port P --first A [--step S] [--give-baud B --give-parity X] "
            "[--count N] [--log FILE [--rotate-mb N | --rotate-midnight]]";
        own =
            "  --first A         the address the first module gets (1..247)\n"
            "  --step S          added for each next module (1)\n"
            "  --give-baud B, --give-parity X  line settings each module gets\n"
            "  --count N         modules, then the end (0: until Ctrl-C)\n"
            "  --log FILE        each attempt appended as a CSV row\n"
            "  --rotate-mb N, --rotate-midnight  the log goes on in a new dated file at N MB or\n"
            "                    at midnight\n"
            "  Modules are looked for at --baud/--parity.\n";
    } else if (command == "poll") {
        usage =
            "zntool poll --port P --address A --model ZN210|ZN220|ZN260|ZN270 [--count N] "
            "[--interval MS]";
        own =
            "  --count N         polls, then the end (0: until Ctrl-C)\n"
            "  --interval MS     time between polls (1000)\n"
            "  --wait MS         reply wait (1000)\n";
    } else {
        usage = "zntool " + command;
    }
    return "Usage: " + usage + "\n\nOptions:\n" + own + common;
}
}  // namespace

QString Text(Key key) {
    const Pair& pair = kTexts[key];
    return QString::fromUtf8(Switches().EnglishUi == 1 ? pair.en : pair.zh);
}

QString Help(const QString& command) {
    return command.isEmpty() ? QString::fromUtf8(kProgramHelp) : CommandHelp(command);
}
}  // namespace CliTexts
