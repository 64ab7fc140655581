// Line files: good files read with their defaults, every refused case with its message, what the
// program does not know kept through a save; and the alarm rule with its hysteresis.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "core/overview/AlarmRule.h"
#include "core/overview/LineFile.h"
#include "tests/support/QStringPrinter.h"

namespace {
// A file of one line holding `modules` (JSON objects), with `line` fields added to the line.
QByteArray OneLine(const QString& modules, const QString& line = QString()) {
    return QString(R"({"format":"zn-line","version":1,"lines":[{"name":"bus 3","port":"COM16",)" +
                   line + R"("modules":[)" + modules + "]}]}")
        .toUtf8();
}

TEST(LineFileTest, ReadsGoodFilesWithTheirDefaults) {
    QString error;
    const auto file = LineFile::Parse(
        OneLine(R"({"address":1,"model":"ZN210","tag":"TT-101",)"
                R"("limits":{"RTD1":{"low":5,"high":80,"hysteresis":1}}},)"
                R"({"address":7,"model":"zn330","enabled":false,"limits":{"DI_16":{"high":0.5}}})",
                R"("baud":19200,"parity":"E",)"),
        "bus.json", true, &error);
    ASSERT_TRUE(file) << error.toStdString();
    ASSERT_EQ(file->lines.size(), 1u);
    const LineOfModules& line = file->lines[0];
    EXPECT_EQ(line.name, "bus 3");
    EXPECT_EQ(line.port, "COM16");
    EXPECT_EQ(line.settings, (SerialCandidate{19200, 'E'}));
    EXPECT_EQ(line.waitMs, LineFile::DefaultWaitMs({19200, 'E'}));
    ASSERT_EQ(line.modules.size(), 2u);
    EXPECT_EQ(line.modules[0].tag, "TT-101");
    EXPECT_TRUE(line.modules[0].enabled);
    EXPECT_EQ(line.modules[0].limits.at("RTD1"), (ChannelLimits{5.0, 80.0, 1.0}));
    EXPECT_EQ(line.modules[1].model, "ZN330");
    EXPECT_FALSE(line.modules[1].enabled);
    EXPECT_EQ(line.modules[1].limits.at("DI_16"), (ChannelLimits{std::nullopt, 0.5, 0.0}));

    // Without settings: 9600 N and the bus scan's wait (40 ms at 9600 8N1).
    const auto plain =
        LineFile::Parse(OneLine(R"({"address":247,"model":"ZN430"})"), "b", true, &error);
    ASSERT_TRUE(plain) << error.toStdString();
    EXPECT_EQ(plain->lines[0].settings, (SerialCandidate{9600, 'N'}));
    EXPECT_EQ(plain->lines[0].waitMs, 40);
}

TEST(LineFileTest, RefusesAWrongFileWholeSayingWhereAndWhat) {
    const QString zn210 = R"({"address":1,"model":"ZN210"})";
    struct Case {
        QByteArray json;
        QString english;
        QString chinese;
    };
    const Case cases[] = {
        {"{not json", "f.json: not a line file: ", "f.json：不是线路文件："},
        {R"({"format":"other","version":1})",
         R"(f.json: not a line file: its format is "other", not "zn-line")",
         "f.json：不是线路文件：其格式为“other”，而非“zn-line”"},
        {R"({"format":"zn-line","version":2,"lines":[]})",
         "f.json: version 2 is newer than this program reads (1)",
         "f.json：版本 2 比本程序能读的版本（1）新"},
        {OneLine(R"({"address":0,"model":"ZN210"})"),
         R"(f.json, line "bus 3", module #1: the address 0 is outside 1..247)",
         "f.json，线路“bus 3”，第 1 个模块：地址 0 不在 1..247 之内"},
        {OneLine(R"({"address":248,"model":"ZN210"})"),
         R"(f.json, line "bus 3", module 248: the address 248 is outside 1..247)",
         "f.json，线路“bus 3”，模块 248：地址 248 不在 1..247 之内"},
        {OneLine(zn210 + "," + R"({"address":1,"model":"ZN330"})"),
         R"(f.json, line "bus 3", module 1: the address 1 is on this line twice)",
         "f.json，线路“bus 3”，模块 1：地址 1 在本线路上出现两次"},
        {OneLine(R"({"address":3,"model":"ZN999"})"),
         R"(f.json, line "bus 3", module 3: unknown model "ZN999")",
         "f.json，线路“bus 3”，模块 3：未知型号“ZN999”"},
        {OneLine(R"({"address":3,"model":"ZN210","limits":{"AI_1":{"high":4}}})"),
         R"(f.json, line "bus 3", module 3: "AI_1" is no channel of a ZN210)",
         "f.json，线路“bus 3”，模块 3：“AI_1”不是 ZN210 的通道"},
        {OneLine(R"({"address":3,"model":"ZN310","limits":{"DO_1":{"high":4}}})"),
         R"(f.json, line "bus 3", module 3: "DO_1" is no channel of a ZN310)",
         "f.json，线路“bus 3”，模块 3：“DO_1”不是 ZN310 的通道"},
        {OneLine(R"({"address":3,"model":"ZN210","limits":{"RTD2":{"low":9,"high":9}}})"),
         R"(f.json, line "bus 3", module 3: channel RTD2: low 9 is not below high 9)",
         "f.json，线路“bus 3”，模块 3：通道 RTD2：下限 9 不低于上限 9"},
        {OneLine(R"({"address":3,"model":"ZN210","limits":{"RTD2":{"hysteresis":-0.5}}})"),
         R"(f.json, line "bus 3", module 3: channel RTD2: the hysteresis -0.5 is negative)",
         "f.json，线路“bus 3”，模块 3：通道 RTD2：回差 -0.5 为负"},
        {OneLine(zn210, R"("baud":14000,)"),
         R"(f.json, line "bus 3": no window offers the baud rate 14000)",
         "f.json，线路“bus 3”：没有窗口提供波特率 14000"},
        {OneLine(zn210, R"("parity":"M",)"),
         R"(f.json, line "bus 3": no window offers the parity "M" (N, O or E))",
         "f.json，线路“bus 3”：没有窗口提供校验“M”（N、O 或 E）"},
        {R"({"format":"zn-line","version":1,"lines":[)"
         R"({"name":"a","port":"COM16","modules":[{"address":1,"model":"ZN210"}]},)"
         R"({"name":"b","port":"COM16","modules":[{"address":1,"model":"ZN210"}]}]})",
         R"(f.json, line "b": port COM16 is also the port of line a)",
         "f.json，线路“b”：端口 COM16 也是线路 a 的端口"},
    };
    for (const Case& c : cases) {
        for (const bool english : {true, false}) {
            QString error;
            EXPECT_FALSE(LineFile::Parse(c.json, "f.json", english, &error)) << c.json.data();
            const QString& expected = english ? c.english : c.chinese;
            EXPECT_TRUE(error.startsWith(expected)) << error.toStdString();
            if (!expected.endsWith(": ") && !expected.endsWith("：")) {
                EXPECT_EQ(error, expected);
            }
        }
    }
}

TEST(LineFileTest, ASaveKeepsWhatTheProgramDoesNotKnowAndIsWholeOrNothing) {
    const QByteArray json =
        R"({"format":"zn-line","version":1,"site":"plant 2","lines":[{"name":"bus 3",)"
        R"("port":"COM16","cable":"grey","modules":[{"address":1,"model":"ZN210",)"
        R"("note":"by the door","limits":{"RTD1":{"high":80,"colour":"red"}}}]}]})";
    QString error;
    auto file = LineFile::Parse(json, "f.json", true, &error);
    ASSERT_TRUE(file) << error.toStdString();
    file->lines[0].modules[0].limits["RTD1"].hysteresis = 2;
    QTemporaryDir dir;
    const QString path = dir.filePath("bus.json");
    ASSERT_TRUE(file->Save(path, &error)) << error.toStdString();
    const auto again = LineFile::Load(path, true, &error);
    ASSERT_TRUE(again) << error.toStdString();
    EXPECT_EQ(again->lines[0].modules[0].limits.at("RTD1"), (ChannelLimits{std::nullopt, 80, 2}));
    const QJsonObject root = QJsonDocument::fromJson(again->ToJson()).object();
    EXPECT_EQ(root["site"].toString(), "plant 2");
    const QJsonObject line = root["lines"].toArray()[0].toObject();
    EXPECT_EQ(line["cable"].toString(), "grey");
    const QJsonObject module = line["modules"].toArray()[0].toObject();
    EXPECT_EQ(module["note"].toString(), "by the door");
    EXPECT_EQ(module["limits"].toObject()["RTD1"].toObject()["colour"].toString(), "red");

    // A file that cannot be written leaves the old one as it was.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    file->lines[0].name = "renamed";
    const bool saved = file->Save(path, &error);
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!saved) {
        EXPECT_EQ(LineFile::Load(path, true, &error)->lines[0].name, "bus 3");
    }
    EXPECT_FALSE(LineFile::Load(dir.filePath("none.json"), true, &error));
    EXPECT_TRUE(error.startsWith(dir.filePath("none.json") + ": "));
}

TEST(AlarmRuleTest, RaisesAtALimitAndClearsPastItsHysteresis) {
    const ChannelLimits limits{5, 80, 1};
    struct Step {
        double reading;
        ChannelAlarm after;
    };
    // From no alarm, through high, hovering, cleared, then low and back.
    const Step steps[] = {
        {50, ChannelAlarm::None},   {80, ChannelAlarm::None},   {80.1, ChannelAlarm::High},
        {79.5, ChannelAlarm::High}, {79.0, ChannelAlarm::None}, {79.9, ChannelAlarm::None},
        {4.9, ChannelAlarm::Low},   {5.5, ChannelAlarm::Low},   {6.0, ChannelAlarm::None},
        {90, ChannelAlarm::High},   {1, ChannelAlarm::Low},
    };
    ChannelAlarm alarm = ChannelAlarm::None;
    for (const Step& step : steps) {
        alarm = NextAlarm(alarm, step.reading, limits);
        EXPECT_EQ(alarm, step.after) << step.reading;
    }
    // A channel with one limit, and none.
    EXPECT_EQ(NextAlarm(ChannelAlarm::None, -1e9, {std::nullopt, 1, 0}), ChannelAlarm::None);
    EXPECT_EQ(NextAlarm(ChannelAlarm::None, 1e9, {}), ChannelAlarm::None);
}
}  // namespace
