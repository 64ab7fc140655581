// The demo's line file (tools/demo-lines.json, built in): it loads, names the simulator's COM16
// line as --many plays it at 9600 N, and its limits are crossed both ways by the simulated
// readings within a minute, whenever the overview starts.
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <set>
#include <utility>

#include "core/modules/PollPlan.h"
#include "core/overview/AlarmRule.h"
#include "core/overview/LineFile.h"
#include "sim/CommandLine.h"
#include "sim/LineCode.h"
#include "sim/SimModule.h"
#include "tests/support/QStringPrinter.h"

namespace {
const QString kDemoLines = QStringLiteral(":/tools/demo-lines.json");

LineFile LoadDemo() {
    QString error;
    const auto file = LineFile::Load(kDemoLines, true, &error);
    EXPECT_TRUE(file) << error.toStdString();
    return file.value_or(LineFile{});
}

TEST(DemoLinesTest, Com16ListsEveryModuleOfTheManyLineThatTalksAtItsSettings) {
    const LineFile file = LoadDemo();
    ASSERT_EQ(file.lines.size(), 2u);
    const struct {
        QString port;
        SerialCandidate settings;
    } expected[] = {{"COM16", {9600, 'N'}}, {"COM19", {9600, 'N'}}};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(file.lines[i].port, expected[i].port);
        EXPECT_EQ(file.lines[i].settings, expected[i].settings);
    }

    const LineOfModules& com16 = file.lines[0];
    std::set<std::pair<int, QString>> listed, answering;
    for (const LineModule& module : com16.modules) listed.insert({module.address, module.model});
    for (const ModuleConfig& module : ManyModulesLine("COM16").modules) {
        const ModuleLine talks = module.talksAt.value_or(*LineOfCode(module.code));
        if (talks == ModuleLine{com16.settings.baud, com16.settings.parity})
            answering.insert({module.address, QString::fromStdString(module.model->name)});
    }
    EXPECT_EQ(listed, answering);
}

TEST(DemoLinesTest, EveryLimitIsCrossedAndClearedWithinAMinuteOfAnyStart) {
    const LineFile file = LoadDemo();
    int limits = 0;
    for (const LineOfModules& line : file.lines)
        for (const LineModule& module : line.modules)
            for (const auto& [name, channelLimits] : module.limits) {
                ++limits;
                const auto plan = PollPlan::Of(module.model);
                const ModelInfo* model = FindModel(module.model.toStdString());
                ASSERT_TRUE(plan && model);
                const auto at = std::find_if(plan->channels.begin(), plan->channels.end(),
                                             [&](const TrendChannel& c) { return c.name == name; });
                ASSERT_TRUE(at != plan->channels.end() && !at->steps) << name.toStdString();
                const int channel = static_cast<int>(at - plan->channels.begin());
                // The waves' periods are under a minute: one start in each second of the longest.
                for (int start = 0; start < 60; ++start) {
                    ChannelAlarm alarm = ChannelAlarm::None;
                    int raised = 0, cleared = 0;
                    for (int second = start; second <= start + 60; ++second) {
                        const double reading = SimModule::EngineeringValue(
                            *model, SimModule::Measurement(*model, channel, second));
                        const ChannelAlarm next = NextAlarm(alarm, reading, channelLimits);
                        raised += alarm == ChannelAlarm::None && next != ChannelAlarm::None;
                        cleared += alarm != ChannelAlarm::None && next == ChannelAlarm::None;
                        alarm = next;
                    }
                    ASSERT_TRUE(raised > 0 && cleared > 0)
                        << module.tag.toStdString() << " " << name.toStdString() << " from "
                        << start << " s: raised " << raised << ", cleared " << cleared;
                }
            }
    EXPECT_GE(limits, 1);
}
}  // namespace
