// Lines polled by their own workers, as the overview runs them: several simulated lines at once,
// a module that leaves the bench and another put in its place, and what the alarms and rows make
// of a module's polls.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <functional>
#include <map>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/overview/AlarmRule.h"
#include "core/overview/AlarmTracker.h"
#include "core/overview/OverviewRows.h"
#include "core/overview/OverviewRun.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"

namespace {
// Far beyond any wait these tests expect, so a loaded machine only slows them.
constexpr int kSafetyMs = 60000;

void UseEnglish() {
    Switches() = StartupSwitches{};
    Switches().EnglishUi = 1;
    TextTable::Fill(true);
}

LineModule Module(int address, const QString& model) {
    LineModule module;
    module.address = address;
    module.model = model;
    return module;
}

// Lets the run's signals arrive until `done` holds, or the safety limit.
bool WaitFor(OverviewRun& run, const std::function<bool()>& done) {
    if (done()) return true;
    QEventLoop loop;
    const auto check = [&] {
        if (done()) loop.quit();
    };
    QObject::connect(&run, &OverviewRun::Reported, &loop, check);
    QObject::connect(&run, &OverviewRun::LineFailed, &loop, check);
    QTimer::singleShot(kSafetyMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

bool Answered(const ModuleReport& report) {
    return report.status == ModuleStatus::Ok || report.status == ModuleStatus::Late;
}

TEST(LineWorkerTest, LinesPollAtOnceAndKeepTheirCountsAcrossAStopUntilReset) {
    RecordingPlatform platform;
    UseEnglish();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        QString port;
        std::vector<LineModule> modules;
        std::vector<bool> present;  // the simulator plays it
        bool portExists;
    };
    const Case cases[] = {
        {"COM1", {Module(1, "ZN210"), Module(2, "ZN330")}, {true, true}, true},
        {"COM2", {Module(4, "ZN410"), Module(9, "ZN210")}, {true, false}, true},
        {"COM3", {Module(1, "ZN210")}, {false}, false},
    };
    QStringList simArgs = {"--freeze", "12.5"};
    LineFile file;
    for (const Case& c : cases) {
        LineOfModules line;
        line.name = c.port;
        line.port = dir.filePath(c.port);
        line.waitMs = 1000;  // what a loaded machine needs
        line.modules = c.modules;
        file.lines.push_back(line);
        if (!c.portExists) continue;
        simArgs << "--bus" << line.port;
        for (size_t m = 0; m < c.modules.size(); ++m)
            if (c.present[m])
                simArgs << "--module"
                        << QString("%1,addr=%2").arg(c.modules[m].model).arg(c.modules[m].address);
    }
    SimProcess sim;
    ASSERT_TRUE(sim.Start(simArgs)) << sim.Output().toStdString();

    OverviewRun run(file);
    std::vector<ModuleReport> reports;
    std::map<int, QString> failed;
    QObject::connect(&run, &OverviewRun::Reported,
                     [&](const ModuleReport& report) { reports.push_back(report); });
    QObject::connect(&run, &OverviewRun::LineFailed,
                     [&](int line, const QString& why) { failed[line] = why; });
    const auto reportsOf = [&](int line, int module, size_t from = 0) {
        std::vector<ModuleReport> of;
        for (size_t i = from; i < reports.size(); ++i)
            if (reports[i].line == line && reports[i].module == module) of.push_back(reports[i]);
        return of;
    };
    const auto forEachModule = [&](const std::function<void(int, int, bool)>& each) {
        for (int l = 0; l < static_cast<int>(std::size(cases)); ++l)
            if (cases[l].portExists)
                for (int m = 0; m < static_cast<int>(cases[l].modules.size()); ++m)
                    each(l, m, cases[l].present[m]);
    };
    const auto everyModule = [&](const std::function<bool(int, int, bool)>& holds) {
        bool all = true;
        forEachModule([&](int l, int m, bool present) { all = all && holds(l, m, present); });
        return all;
    };

    run.Start();
    // A dead module's three tries hold up only its own line.
    ASSERT_TRUE(WaitFor(run,
                        [&] {
                            return failed.size() == 1 && everyModule([&](int l, int m, bool) {
                                       return reportsOf(l, m).size() >= 3;
                                   });
                        }))
        << reports.size() << " reports";

    const QString missing = file.lines[2].port;
    EXPECT_EQ(failed[2],
              Tt(TextKey::MsgPortUnavailable) + '\n' + Tt(TextKey::MsgPortMissing).arg(missing));
    EXPECT_FALSE(run.Running(2));
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('\n').toStdString();

    const auto between = [&](int outer, int inner) {
        int stage = 0;
        for (const ModuleReport& report : reports)
            if (report.line == (stage == 1 ? inner : outer) && ++stage == 3) return true;
        return false;
    };
    EXPECT_TRUE(between(0, 1));
    EXPECT_TRUE(between(1, 0));

    forEachModule([&](int l, int m, bool present) {
        SCOPED_TRACE("line " + std::to_string(l) + " module " + std::to_string(m));
        const std::vector<ModuleReport> of = reportsOf(l, m);
        RequestCounts sum;
        int otherBad = 0;
        for (const ModuleReport& report : of) {
            sum += report.poll.counts;
            otherBad += report.poll.outcome == ModulePoll::BadReply &&
                        report.poll.counts.badCrcs == 0 && report.poll.counts.exceptions == 0;
        }
        const PollTally& tally = of.back().tally;
        EXPECT_EQ(tally.counts.requests, sum.requests);
        EXPECT_EQ(tally.counts.replies, sum.replies);
        EXPECT_EQ(tally.counts.noReplies, sum.noReplies);
        EXPECT_EQ(tally.counts.requests, tally.counts.replies + tally.counts.noReplies +
                                             tally.counts.badCrcs + tally.counts.exceptions +
                                             otherBad);
        EXPECT_EQ(Answered(of.back()), present);
        if (present) {
            EXPECT_GT(tally.counts.replies, 0);
            EXPECT_GT(tally.lastSeenMs, 0);
            EXPECT_LE(0, tally.minMs);
            EXPECT_LE(tally.minMs, tally.MeanMs());
            EXPECT_LE(tally.MeanMs(), tally.maxMs);
        } else {
            EXPECT_EQ(tally.counts.replies, 0);
            EXPECT_EQ(tally.counts.noReplies, tally.counts.requests);
            EXPECT_EQ(tally.minMs, -1);
            EXPECT_EQ(of.back().status, ModuleStatus::Offline);
        }
    });

    // A stopped line lent to a work window comes back with its counts.
    run.StopLine(0);
    EXPECT_FALSE(run.Running(0));
    EXPECT_TRUE(run.Running(1));
    QCoreApplication::processEvents();  // what it sent before it stopped
    std::map<int, PollTally> beforeStop;
    for (int m = 0; m < 2; ++m) beforeStop[m] = reportsOf(0, m).back().tally;
    const size_t restart = reports.size();
    run.StartLine(0);
    ASSERT_TRUE(WaitFor(run, [&] {
        return !reportsOf(0, 0, restart).empty() && !reportsOf(0, 1, restart).empty();
    }));
    for (int m = 0; m < 2; ++m) {
        SCOPED_TRACE("after the restart, module " + std::to_string(m));
        const ModuleReport first = reportsOf(0, m, restart).front();
        EXPECT_GT(first.tally.counts.requests, beforeStop[m].counts.requests);
        EXPECT_EQ(first.tally.counts.requests,
                  beforeStop[m].counts.requests + first.poll.counts.requests);
        EXPECT_EQ(first.tally.counts.replies,
                  beforeStop[m].counts.replies + first.poll.counts.replies);
        EXPECT_GE(first.tally.timedPolls, beforeStop[m].timedPolls);
    }

    // A reset shows at each module's next poll: its tally is that poll alone. (A poll under way
    // when it was asked for still reports the old counts.) Only answering modules are polled
    // soon enough to tell.
    QCoreApplication::processEvents();
    const size_t reset = reports.size();
    const int64_t resetMs = QDateTime::currentMSecsSinceEpoch();
    run.ResetCounts();
    const auto resetSeen = [&](int l, int m) {
        for (const ModuleReport& report : reportsOf(l, m, reset))
            if (report.tally.counts.requests == report.poll.counts.requests) return true;
        return false;
    };
    ASSERT_TRUE(WaitFor(run, [&] {
        return everyModule([&](int l, int m, bool present) { return !present || resetSeen(l, m); });
    }));
    forEachModule([&](int l, int m, bool present) {
        if (!present) return;
        SCOPED_TRACE("reset, line " + std::to_string(l) + " module " + std::to_string(m));
        const std::vector<ModuleReport> after = reportsOf(l, m, reset);
        const auto fresh = std::find_if(after.begin(), after.end(), [](const ModuleReport& report) {
            return report.tally.counts.requests == report.poll.counts.requests;
        });
        ASSERT_NE(fresh, after.end());
        EXPECT_EQ(fresh->tally.counts.replies, fresh->poll.counts.replies);
        EXPECT_EQ(fresh->tally.timedPolls, fresh->poll.responseMs >= 0 ? 1 : 0);
        if (fresh->poll.responseMs >= 0) {
            EXPECT_EQ(fresh->tally.minMs, fresh->poll.responseMs);
            EXPECT_EQ(fresh->tally.maxMs, fresh->poll.responseMs);
        }
        // Of the polls that ended after it, only the one under way then may keep the old counts.
        EXPECT_LE(
            std::count_if(after.begin(), fresh,
                          [&](const ModuleReport& report) { return report.timeMs > resetMs; }),
            1);
    });
    run.Stop();
    EXPECT_FALSE(run.AnyRunning());
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('\n').toStdString();
}

TEST(LineWorkerTest, AModuleThatLeavesGoesOfflineAndIsCheckedAgainWhenOneComesBack) {
    RecordingPlatform platform;
    UseEnglish();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The first leaves half a second after it was first asked; the next comes long after the
    // first retry (a second after it went offline) and well before the third.
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--bench", dir.filePath("COM1"), "--pause", "500", "--gap", "4000",
                           "--module", "ZN210", "--module", "ZN210"}))
        << sim.Output().toStdString();
    LineFile file;
    LineOfModules line;
    line.name = "bench";
    line.port = dir.filePath("COM1");
    line.waitMs = 300;
    line.modules = {Module(1, "ZN210")};
    file.lines.push_back(line);

    OverviewRun run(file);
    std::vector<ModuleReport> reports;
    QObject::connect(&run, &OverviewRun::Reported,
                     [&](const ModuleReport& report) { reports.push_back(report); });
    const auto backAfterOffline = [&] {
        bool offline = false;
        for (const ModuleReport& report : reports) {
            if (offline && Answered(report)) return true;
            offline = offline || report.status == ModuleStatus::Offline;
        }
        return false;
    };
    run.Start();
    ASSERT_TRUE(WaitFor(run, backAfterOffline)) << reports.size() << " reports";
    run.Stop();
    QCoreApplication::processEvents();

    // Each report as a word, to its first answer after offline. Answered readings and retries
    // while offline come as many as time allows; a late answer (a loaded machine) is an answer.
    QStringList words;
    int offline = 0;
    std::vector<ModuleReport> upToBack;
    for (const ModuleReport& report : reports) {
        upToBack.push_back(report);
        QString word = Answered(report) ? "ok" : OverviewRows::StatusWord(report);
        if (Answered(report) && report.poll.channels.empty() && report.poll.modelRead == "ZN210")
            word += " (model)";
        offline += word == "offline";
        if (words.isEmpty() || word != words.back() || (word != "ok" && word != "offline"))
            words << word;
        if (offline > 0 && Answered(report)) break;
    }
    EXPECT_EQ(words,
              QStringList({"ok (model)", "ok", "failing", "failing", "offline", "ok (model)"}));
    EXPECT_GE(offline, 2) << "no retry while it was away";

    // Its own alarm follows it: failing, then offline, then nothing once it answers again.
    AlarmTracker tracker;
    QStringList events;
    for (const ModuleReport& report : upToBack)
        for (const AlarmEvent& event : tracker.Take(file, report))
            events << event.channel + event.alarm + (event.raised ? " raised" : " cleared");
    EXPECT_EQ(events, QStringList({"failing raised", "failing cleared", "offline raised",
                                   "offline cleared"}));
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('\n').toStdString();
}

TEST(LineWorkerTest, AlarmsAndRowsFollowAModulesReadingsAndStatus) {
    LineFile file;
    LineOfModules line;
    line.name = "boiler room";
    LineModule module = Module(3, "ZN210");
    module.tag = "TT-3";
    // One hysteresis holds at both limits: a low alarm clears only at 6.
    const ChannelLimits limits{5.0, 80.0, 1};
    module.limits = {{"RTD1", limits}};
    line.modules = {module};
    file.lines.push_back(line);

    const QString high = "high 80 (hysteresis 1)";
    struct Case {
        ModuleStatus status;
        bool wrongModel;
        std::optional<double> rtd1;  // no readings without; NaN is "No Sensor"
        QStringList events;          // channel, alarm, event, value, limit
        QStringList rows;            // the recording's rows, but for the time; unchecked if none
        QByteArray json;             // from its status on; unchecked if empty
    };
    const double noSensor = std::nan("");
    const Case cases[] = {
        {ModuleStatus::Ok, false, 79.0, {}, {}, {}},
        {ModuleStatus::Ok,
         false,
         81.0,
         {"RTD1,high,raised,81.0℃," + high},
         {"boiler room,3,TT-3,ZN210,RTD1,81.0,℃,ok,high",
          "boiler room,3,TT-3,ZN210,RTD2,20.5,℃,ok,"},
         R"("status":"ok","responseMs":12,"channels":{"RTD1":{"value":81.0,"unit":"℃","alarm":"high"},)"
         R"("RTD2":{"value":20.5,"unit":"℃","alarm":null}}})"},
        {ModuleStatus::Ok, false, 80.0, {}, {}, {}},
        {ModuleStatus::Ok, false, 79.0, {"RTD1,high,cleared,79.0℃," + high}, {}, {}},
        {ModuleStatus::Ok, false, 4.0, {"RTD1,low,raised,4.0℃,low 5 (hysteresis 1)"}, {}, {}},
        {ModuleStatus::Ok, false, 5.5, {}, {}, {}},
        {ModuleStatus::Ok,
         false,
         noSensor,
         {},
         {"boiler room,3,TT-3,ZN210,RTD1,,℃,ok,low", "boiler room,3,TT-3,ZN210,RTD2,20.5,℃,ok,"},
         R"("status":"ok","responseMs":12,"channels":{"RTD1":{"value":null,"unit":"℃","alarm":"low"},)"
         R"("RTD2":{"value":20.5,"unit":"℃","alarm":null}}})"},
        {ModuleStatus::Failing,
         false,
         std::nullopt,
         {",failing,raised,,"},
         {"boiler room,3,TT-3,ZN210,,,,failing,"},
         R"("status":"failing","responseMs":null,"channels":{}})"},
        {ModuleStatus::Offline,
         false,
         std::nullopt,
         {",failing,cleared,,", ",offline,raised,,"},
         {"boiler room,3,TT-3,ZN210,,,,offline,"},
         {}},
        {ModuleStatus::Ok,
         true,
         std::nullopt,
         {",offline,cleared,,", ",wrong model,raised,,"},
         {"boiler room,3,TT-3,ZN210,,,,wrong model,"},
         {}},
        {ModuleStatus::Ok,
         false,
         50.0,
         {",wrong model,cleared,,", "RTD1,low,cleared,50.0℃,low 5 (hysteresis 1)"},
         {},
         {}},
    };
    AlarmTracker tracker;
    ChannelAlarm alarm = ChannelAlarm::None;
    int64_t timeMs = QDateTime(QDate(2024, 3, 1), QTime(8, 0)).toMSecsSinceEpoch();
    for (const Case& c : cases) {
        ModuleReport report;
        report.timeMs = timeMs += 1000;
        report.status = c.status;
        report.wrongModel = c.wrongModel;
        report.modelRead = c.wrongModel ? "ZN220" : "ZN210";
        report.poll.outcome = c.wrongModel                   ? ModulePoll::WrongModel
                              : c.status == ModuleStatus::Ok ? ModulePoll::Answered
                                                             : ModulePoll::NoReply;
        if (c.rtd1) {
            // As the poller judges it: "No Sensor" holds whatever alarm stood.
            if (!std::isnan(*c.rtd1)) alarm = NextAlarm(alarm, *c.rtd1, limits);
            report.poll.responseMs = 12;
            report.poll.channels = {
                {"RTD1", "℃", *c.rtd1,
                 std::isnan(*c.rtd1) ? QString("No Sensor") : QString::number(*c.rtd1, 'f', 1), 1,
                 alarm},
                {"RTD2", "℃", 20.5, "20.5", 1, ChannelAlarm::None}};
        }
        const QString reading =
            c.rtd1 ? QString::number(*c.rtd1) : OverviewRows::StatusWord(report);
        SCOPED_TRACE(reading.toStdString());

        QStringList events;
        for (const AlarmEvent& event : tracker.Take(file, report)) {
            EXPECT_EQ(event.timeMs, report.timeMs);
            events << QStringList{event.channel, event.alarm, event.raised ? "raised" : "cleared",
                                  event.value, event.limit}
                          .join(',');
        }
        EXPECT_EQ(events, c.events);

        const QString time =
            QDateTime::fromMSecsSinceEpoch(report.timeMs).toString(Qt::ISODateWithMs);
        QStringList rows;
        for (QStringList row : OverviewRows::RecordRows(file, report)) {
            EXPECT_EQ(row.size(), OverviewRows::RecordColumns().size());
            EXPECT_EQ(row.takeFirst(), time);
            rows << row.join(',');
        }
        if (!c.rows.isEmpty()) {
            EXPECT_EQ(rows, c.rows);
        }
        if (!c.json.isEmpty()) {
            EXPECT_EQ(OverviewRows::JsonLine(file, report),
                      "{\"time\":\"" + time.toUtf8() +
                          R"(","line":"boiler room","address":3,"tag":"TT-3","model":"ZN210",)" +
                          c.json);
        }
    }
}
}  // namespace
