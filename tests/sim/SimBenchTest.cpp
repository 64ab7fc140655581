// Modules that take a change late, refuse or ignore it, or talk at other settings than their code
// names; a bench where modules come one at a time; and the options that make them.
#include <gtest/gtest.h>

#include <QString>
#include <variant>

#include "sim/CommandLine.h"
#include "sim/SimBus.h"

namespace {
Frame Request(const char* body) {
    return AppendCrc16(BytesOfText(QString::fromLatin1(body)));
}

// What reaches the program, without the CRC, or "silent".
QString Answer(SimBus& bus, const char* body, double wall, LineState line = {9600, false}) {
    const BusExchange exchange = bus.Exchange(Request(body), line, 0, wall);
    if (!exchange.Answered()) return "silent";
    const Frame& reply = exchange.replies.front().bytes;
    return SentTextOf(Frame(reply.begin(), reply.end() - 2)).trimmed();
}

ModuleConfig Module(const std::string& spec) {
    auto parsed = ParseModuleSpec(spec);
    EXPECT_TRUE(std::holds_alternative<ModuleConfig>(parsed)) << spec;
    return std::holds_alternative<ModuleConfig>(parsed) ? std::get<ModuleConfig>(parsed)
                                                        : ModuleConfig{};
}

struct Exchange {
    const char* request;
    double wall;
    LineState line;
    const char* answer;
};
constexpr LineState k9600{9600, false};
constexpr LineState k19200{19200, false};
}  // namespace

TEST(SimParameterWrites, LateRefusedIgnoredAndMismatchedModules) {
    const struct {
        const char* spec;
        std::vector<Exchange> exchanges;
    } cases[] = {
        {"ZN210,writes=refuse",
         {{"01 06 00 64 00 05", 0, k9600, "01 86 04"},
          {"01 06 00 65 00 7D", 0, k9600, "01 86 04"},
          {"01 03 00 64 00 03", 0, k9600, "01 03 06 00 01 00 67 00 D2"}}},
        {"ZN210,writes=ignore",
         {{"01 06 00 64 00 05", 0, k9600, "01 06 00 64 00 05"},
          {"05 03 00 64 00 03", 1, k9600, "silent"},
          {"01 03 00 64 00 03", 1, k9600, "01 03 06 00 01 00 67 00 D2"}}},
        {"ZN220,take=800",
         {{"01 06 00 64 00 05", 10.0, k9600, "01 06 00 64 00 05"},
          {"05 03 00 64 00 03", 10.5, k9600, "silent"},
          {"01 03 00 64 00 03", 10.5, k9600, "01 03 06 00 01 00 67 00 DC"},
          {"05 03 00 64 00 03", 10.8, k9600, "05 03 06 00 05 00 67 00 DC"},
          {"05 06 00 65 00 7D", 11.0, k9600, "05 06 00 65 00 7D"},
          {"05 03 00 64 00 03", 11.5, k19200, "silent"},
          {"05 03 00 64 00 03", 11.9, k19200, "05 03 06 00 05 00 7D 00 DC"}}},
        {"ZN310,addr=8,code=125,at=9600N",
         {{"08 03 00 64 00 03", 0, k19200, "silent"},
          {"08 03 00 64 00 03", 0, k9600, "08 03 06 00 08 00 7D 01 36"},
          {"08 06 00 65 00 67", 0, k9600, "08 06 00 65 00 67"},
          {"08 03 00 64 00 03", 0, k9600, "08 03 06 00 08 00 67 01 36"}}},
    };
    for (const auto& c : cases) {
        SimBus bus({Module(c.spec)}, 1);
        for (const Exchange& e : c.exchanges)
            EXPECT_EQ(Answer(bus, e.request, e.wall, e.line), e.answer)
                << c.spec << " " << e.request << " at " << e.wall;
    }
}

TEST(SimBench, ModulesComeOneAtATimeAndGoWhenWrittenOrAPauseAfterTheyWereReached) {
    SimBus bus({Module("ZN210"), Module("ZN220,writes=refuse"), Module("ZN230,addr=4")}, 1);
    bus.MakeBench({1000, 2000, 500});
    const char* read = "00 03 00 64 00 03";
    const Exchange script[] = {
        {read, 0.0, k9600, "00 03 06 00 01 00 67 00 D2"},
        {"01 06 00 64 00 05", 0.1, k9600, "01 06 00 64 00 05"},
        {"05 03 00 64 00 03", 1.0, k9600, "05 03 06 00 05 00 67 00 D2"},
        {read, 1.2, k9600, "silent"},  // written at 0.1, gone at 1.1
        // The next came at 1.6; reached at 19200 nobody hears it, at 9600 it answers at 4.0.
        {read, 4.0, k19200, "silent"},
        {read, 4.0, k9600, "00 03 06 00 01 00 67 00 DC"},
        {"01 06 00 64 00 05", 4.1, k9600, "01 86 04"},  // refused: not written
        {read, 5.9, k9600, "00 03 06 00 01 00 67 00 DC"},
        {read, 6.1, k9600, "silent"},  // gone after its pause, at 6.0
        {read, 6.6, k9600, "00 03 06 00 04 00 67 00 E6"},
        {"04 06 00 64 00 06", 6.7, k9600, "04 06 00 64 00 06"},
        {read, 100, k9600, "silent"},  // the last has gone; nothing more comes
    };
    for (const Exchange& e : script)
        EXPECT_EQ(Answer(bus, e.request, e.wall, e.line), e.answer)
            << e.request << " at " << e.wall;
    EXPECT_EQ(bus.OnBench(), -1);
}

TEST(SimBench, OptionsMakeBenchesAndTheLineOfTwenty) {
    const auto parsed =
        ParseCommandLine({"--hold", "700", "--bench", "b", "--module", "ZN210", "--module",
                          "ZN220,writes=ignore,take=300,at=19200E", "--many", "m"});
    ASSERT_TRUE(std::holds_alternative<SimConfig>(parsed)) << std::get<std::string>(parsed);
    const auto& buses = std::get<SimConfig>(parsed).buses;
    ASSERT_EQ(buses.size(), 2u);
    EXPECT_TRUE(buses[0].bench);
    EXPECT_EQ(buses[0].timing.holdMs, 700);
    EXPECT_EQ(buses[0].timing.pauseMs, 5000);
    const ModuleConfig& second = buses[0].modules[1];
    EXPECT_EQ(second.writes, ParameterWrites::Ignores);
    EXPECT_EQ(second.takeMs, 300);
    ASSERT_TRUE(second.talksAt);
    EXPECT_EQ(*second.talksAt, (ModuleLine{19200, 'E'}));
    EXPECT_FALSE(buses[1].bench);
    EXPECT_EQ(buses[1].path, "m");
    ASSERT_EQ(buses[1].modules.size(), 20u);
    EXPECT_EQ(buses[1].modules.front().address, 1);
    EXPECT_EQ(buses[1].modules.back().address, 247);

    const struct {
        std::vector<std::string> args;
        const char* says;
    } errors[] = {
        {{"--many", "m", "--module", "ZN210"}, "--module must follow"},
        {{"--bench", "b", "--module", "ZN210,writes=maybe"}, "writes 'maybe'"},
        {{"--bench", "b", "--module", "ZN210,at=9600X"}, "at='9600X'"},
        {{"--bench", "b", "--module", "ZN210,take=-1"}, "take '-1'"},
        {{"--gap", "soon", "--bench", "b", "--module", "ZN210"}, "--gap needs"},
        {{"--bench"}, "--bench needs a path"},
    };
    for (const auto& e : errors) {
        const auto bad = ParseCommandLine(e.args);
        ASSERT_TRUE(std::holds_alternative<std::string>(bad)) << e.says;
        EXPECT_NE(std::get<std::string>(bad).find(e.says), std::string::npos)
            << std::get<std::string>(bad);
    }
}
