// The simulator's command line: good specs become buses and modules, bad ones say what is wrong.
#include <gtest/gtest.h>

#include <QString>

#include "base/Switches.h"
#include "sim/CommandLine.h"

namespace {
std::variant<SimConfig, std::string> Parse(const QString& line) {
    std::vector<std::string> args;
    for (const QString& arg : line.split(' ', Qt::SkipEmptyParts))
        args.push_back(arg.toStdString());
    return ParseCommandLine(args);
}
}  // namespace

TEST(SimCommandLine, BusesModulesAndOptions) {
    const auto parsed = Parse(
        "--verbose --seed 42 --bus sys/COM1 --module ZN210,addr=3,baud=19200,parity=E "
        "--module zn330,code=2,fault=late:every=3:ms=700,fault=badcrc:prob=0.1 "
        "--bus sys/COM2 --module ZN430 --freeze 7.5");
    ASSERT_TRUE(std::holds_alternative<SimConfig>(parsed)) << std::get<std::string>(parsed);
    const SimConfig& config = std::get<SimConfig>(parsed);
    EXPECT_TRUE(config.verbose);
    EXPECT_DOUBLE_EQ(config.frozenAt, 7.5);
    EXPECT_EQ(config.seed, 42u);
    ASSERT_EQ(config.buses.size(), 2u);
    EXPECT_EQ(config.buses[0].path, "sys/COM1");
    ASSERT_EQ(config.buses[0].modules.size(), 2u);
    const ModuleConfig& first = config.buses[0].modules[0];
    EXPECT_EQ(first.model->name, "ZN210");
    EXPECT_EQ(first.address, 3);
    EXPECT_EQ(first.code, 125);  // 19200 even
    const ModuleConfig& second = config.buses[0].modules[1];
    EXPECT_EQ(second.model->name, "ZN330");
    EXPECT_EQ(second.code, 2);
    ASSERT_EQ(second.faults.size(), 2u);
    EXPECT_EQ(second.faults[0].kind, FaultKind::Late);
    EXPECT_EQ(second.faults[0].lateMs, 700);
    EXPECT_EQ(second.faults[1].kind, FaultKind::BadCrc);
    const ModuleConfig& third = config.buses[1].modules[0];
    EXPECT_EQ(third.address, 1);
    EXPECT_EQ(third.code, 103);  // 9600, no parity
}

TEST(SimCommandLine, BadArgumentsAreNamed) {
    const struct {
        const char* line;
        const char* says;
    } cases[] = {
        {"", "no bus"},
        {"--verbose", "no bus"},
        {"--module ZN210", "must follow a --bus"},
        {"--bus a", "has no --module"},
        {"--bus a --module ZN999", "unknown model 'ZN999'"},
        {"--bus a --module ZN210,addr=0", "address '0'"},
        {"--bus a --module ZN210,addr=255", "address '255'"},
        {"--bus a --module ZN210,baud=9601", "baud rate '9601'"},
        {"--bus a --module ZN210,parity=X", "parity 'X'"},
        {"--bus a --module ZN210,code=9", "parameter code '9'"},
        {"--bus a --module ZN210,code=2,baud=9600", "either code= or baud="},
        {"--bus a --module ZN210,fault=slow", "unknown fault 'slow'"},
        {"--bus a --module ZN210,speed=1", "unknown module option 'speed=1'"},
        {"--bus a --module ZN210 --bus a --module ZN220", "given twice"},
        {"--bus a --module ZN210 --fast", "unknown argument '--fast'"},
        {"--seed x --bus a --module ZN210", "--seed"},
        {"--bus a --module ZN210 --freeze", "--freeze needs"},
        {"--bus a --module ZN210 --freeze -1", "--freeze needs"},
        {"--bus", "--bus needs a path"},
        {"--demo", "--demo needs a folder"},
    };
    for (const auto& c : cases) {
        const auto parsed = Parse(c.line);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.line;
        EXPECT_NE(std::get<std::string>(parsed).find(c.says), std::string::npos)
            << c.line << " -> " << std::get<std::string>(parsed);
    }
    EXPECT_TRUE(std::get<SimConfig>(Parse("--help")).help);
}

TEST(SimCommandLine, DemoPutsOneModelOnEachPortInListOrder) {
    const auto parsed = Parse("--demo run/sys");
    ASSERT_TRUE(std::holds_alternative<SimConfig>(parsed));
    const auto& buses = std::get<SimConfig>(parsed).buses;
    ASSERT_EQ(static_cast<int>(buses.size()), ModelNames().size());
    for (int i = 0; i < ModelNames().size(); ++i) {
        EXPECT_EQ(QString::fromStdString(buses[i].path), QString("run/sys/COM%1").arg(i + 1));
        ASSERT_EQ(buses[i].modules.size(), 1u);
        EXPECT_EQ(QString::fromStdString(buses[i].modules[0].model->name), ModelNames()[i]);
        EXPECT_EQ(buses[i].modules[0].address, 1);
        EXPECT_EQ(buses[i].modules[0].code, 103);
        EXPECT_TRUE(buses[i].modules[0].faults.empty());
    }
}

TEST(SimCommandLine, NetworkAndTapOptionsGoToTheBusBeforeThem) {
    const struct {
        const char* line;
        const char* error;  // nullptr: parsed, with COM1's and COM2's settings below
        int rawTcp[2];
        int modbusTcp[2];
        const char* tap[2];
    } cases[] = {
        {"--bus COM1 --tcp 5021 --module ZN210 --bus COM2 --modbus-tcp 0 --tap TAP2 --module ZN220",
         nullptr,
         {5021, -1},
         {-1, 0},
         {"", "TAP2"}},
        {"--bus COM1 --module ZN210 --bus COM2 --module ZN220 --tcp 0 --modbus-tcp 0",
         nullptr,
         {-1, 0},
         {-1, 0},
         {"", ""}},
        {"--tcp 5021 --bus COM1 --module ZN210", "--tcp must follow a bus"},
        {"--tap T --bus COM1 --module ZN210", "--tap must follow a bus"},
        {"--bus COM1 --module ZN210 --tcp 65536", "--tcp needs a port"},
        {"--bus COM1 --module ZN210 --modbus-tcp x", "--modbus-tcp needs a port"},
        {"--bus COM1 --module ZN210 --tap", "--tap needs a path"},
        {"--bus COM1 --tcp 1 --tcp 2 --module ZN210", "bus COM1 has two --tcp"},
        {"--bus COM1 --tap A --tap B --module ZN210", "bus COM1 has two --tap"},
        {"--bus COM1 --tap COM1 --module ZN210", "path COM1 is given twice"},
        {"--bus COM1 --tcp 502 --module ZN210 --bus COM2 --modbus-tcp 502 --module ZN220",
         "port 502 is given twice"},
    };
    for (const auto& c : cases) {
        const auto parsed = Parse(c.line);
        if (c.error) {
            ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.line;
            EXPECT_NE(std::get<std::string>(parsed).find(c.error), std::string::npos)
                << c.line << " -> " << std::get<std::string>(parsed);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<SimConfig>(parsed)) << std::get<std::string>(parsed);
        const auto& buses = std::get<SimConfig>(parsed).buses;
        ASSERT_EQ(buses.size(), 2u);
        for (int b = 0; b < 2; ++b) {
            EXPECT_EQ(buses[b].rawTcpPort, c.rawTcp[b]) << c.line;
            EXPECT_EQ(buses[b].modbusTcpPort, c.modbusTcp[b]) << c.line;
            EXPECT_EQ(buses[b].tapPath, c.tap[b]) << c.line;
        }
    }
}
