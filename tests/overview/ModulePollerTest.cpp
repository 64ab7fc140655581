// Modules of a simulated line polled as the overview polls them: the model check at first
// contact, then each model's inputs decoded as its window shows them, with their alarms; a
// module of another model, and one that is not there.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/Line.h"
#include "core/overview/ModulePoller.h"
#include "core/traffic/TrafficLog.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"

namespace {
LineModule Module(int address, const QString& model,
                  const std::map<QString, ChannelLimits>& limits = {}) {
    LineModule module;
    module.address = address;
    module.model = model;
    module.limits = limits;
    return module;
}

TEST(ModulePollerTest, ChecksTheModelFirstThenReadsTheInputsWithTheirAlarms) {
    RecordingPlatform platform;
    Switches() = StartupSwitches{};
    Switches().EnglishUi = 1;
    TextTable::Fill(true);
    QTemporaryDir dir;
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--freeze", "12.5", "--bus", dir.filePath("COM1"), "--module",
                           "ZN210,addr=3", "--module", "ZN330,addr=7", "--module", "ZN230,addr=12",
                           "--module", "ZN410,addr=20"}))
        << sim.Output().toStdString();
    Line line;
    ASSERT_TRUE(line.Open(dir.filePath("COM1"), "9600,N,8,1"));
    TrafficLog log;
    Exchange exchange(line, log);
    constexpr int kWaitMs = 1000;  // what a loaded machine needs

    struct Case {
        LineModule module;
        ModulePoll::Outcome first, second;
        QString modelRead;
        QStringList channels;  // names of the second poll's readings
        QStringList units;
        std::vector<ChannelAlarm> alarms;
    };
    const auto all = [](int n, ChannelAlarm alarm) { return std::vector<ChannelAlarm>(n, alarm); };
    const Case cases[] = {
        // Limits every reading crosses: above any temperature, below any temperature.
        {Module(3, "ZN210", {{"RTD1", {std::nullopt, -60.0, 1}}, {"RTD2", {1000.0, 2000.0, 1}}}),
         ModulePoll::Answered,
         ModulePoll::Answered,
         "ZN210",
         {"RTD1", "RTD2", "RTD3", "RTD4"},
         QStringList(4, "℃"),
         {ChannelAlarm::High, ChannelAlarm::Low, ChannelAlarm::None, ChannelAlarm::None}},
        {Module(7, "ZN330"), ModulePoll::Answered, ModulePoll::Answered, "ZN330",
         [] {
             QStringList names;
             for (int i = 1; i <= 16; ++i) names << QString("DI_%1").arg(i, 2, 10, QChar('0'));
             return names;
         }(),
         QStringList(16, ""), all(16, ChannelAlarm::None)},
        // Outputs only: the model check is its every poll.
        {Module(12, "ZN230"), ModulePoll::Answered, ModulePoll::Answered, "ZN230", {}, {}, {}},
        {Module(20, "ZN410"),
         ModulePoll::Answered,
         ModulePoll::Answered,
         "ZN410",
         {"AI_1", "AI_2", "AI_3", "AI_4", "AI_5", "AI_6", "DI_01", "DI_02", "DI_03", "DI_04"},
         QStringList(6, "mA") + QStringList(4, ""),
         all(10, ChannelAlarm::None)},
        // The file says ZN220 where a ZN210 answers: never polled as a ZN220.
        {Module(3, "ZN220"), ModulePoll::WrongModel, ModulePoll::WrongModel, "ZN210", {}, {}, {}},
        {Module(9, "ZN210"), ModulePoll::NoReply, ModulePoll::NoReply, "", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module.model.toStdString() + " at " + std::to_string(c.module.address));
        ModulePoller poller(c.module, kWaitMs);
        const ModulePoll first = poller.Poll(exchange);
        EXPECT_EQ(first.outcome, c.first);
        EXPECT_EQ(first.modelRead, c.modelRead);
        EXPECT_TRUE(first.channels.empty());
        const ModulePoll second = poller.Poll(exchange);
        EXPECT_EQ(second.outcome, c.second);
        EXPECT_EQ(poller.ModelChecked(), c.first == ModulePoll::Answered && !c.channels.isEmpty());
        QStringList names, units;
        std::vector<ChannelAlarm> alarms;
        for (const ChannelReading& reading : second.channels) {
            names << reading.name;
            units << reading.unit;
            alarms.push_back(reading.alarm);
            EXPECT_FALSE(reading.text.isEmpty()) << reading.name.toStdString();
        }
        EXPECT_EQ(names, c.channels);
        EXPECT_EQ(units, c.units);
        EXPECT_EQ(alarms, c.alarms);
        if (second.outcome == ModulePoll::Answered) {
            EXPECT_GE(second.responseMs, 0);
        }
    }
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('\n').toStdString();
}
}  // namespace
