// The line overview window on two simulated lines: rows and alarms filled as replies come, the
// readings and alarms recorded, an edit the line file refuses, and a double-click that lends a
// line to its module's test window and takes it back when that closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

#include "app/MainWindow.h"
#include "core/line/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TurnUntil.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"
#include "trend/TrendFeed.h"
#include "windows/overview/LineOverviewWindow.h"
#include "windows/overview/OverviewEditors.h"
#include "windows/overview/OverviewModel.h"
#include "windows/overview/OverviewTexts.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "workwindow/WorkWindow.h"

namespace {
QString Cell(LineOverviewWindow* window, int row, int column) {
    window->Model()->Redraw();
    return window->Model()->index(row, column).data().toString();
}

int Requests(LineOverviewWindow* window, int row) {
    return Cell(window, row, OverviewModel::RequestsColumn).toInt();
}

// The file's lines, its byte-order mark shown as "BOM".
QStringList FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.replace(0, 3, "BOM");
    return QString::fromUtf8(bytes).split("\r\n", Qt::SkipEmptyParts);
}
}  // namespace

TEST(LineOverviewWindowTest, PollsTwoLinesRecordsThemAndLendsALineToItsTestWindow) {
    RecordingPlatform platform;
    ScratchSys sys;
    sys.WriteFile("set2.rc", "0\r\n0\r\n1\r\n");  // English
    QTemporaryDir dir;
    SimProcess sim;
    ASSERT_TRUE(
        sim.Start({"--freeze", "12.5", "--bus", dir.filePath("COM1"), "--module", "ZN210,addr=1",
                   "--bus", dir.filePath("COM2"), "--module", "ZN260,addr=5"}))
        << sim.Output().toStdString();
    QFile lines(dir.filePath("lines.json"));
    ASSERT_TRUE(lines.open(QIODevice::WriteOnly));
    lines.write(QString(R"({"format":"zn-line","version":1,"lines":[
        {"name":"bus 1","port":"%1","baud":9600,"parity":"N","waitMs":300,"modules":[
          {"address":1,"model":"ZN210","tag":"TT-1","limits":{"RTD1":{"high":10}}}]},
        {"name":"bus 2","port":"%2","baud":9600,"parity":"N","waitMs":300,"modules":[
          {"address":5,"model":"ZN260","tag":"AI-5"}]}]})")
                    .arg(dir.filePath("COM1"), dir.filePath("COM2"))
                    .toUtf8());
    lines.close();

    Main main;
    main.Form_Load();
    EXPECT_EQ(main.Command_Overview->text(), "Line Overview");
    main.Command_Overview_Click();
    LineOverviewWindow* overview = LineOverviewWindow::Open();
    ASSERT_TRUE(overview->Load(dir.filePath("lines.json")));
    EXPECT_EQ(overview->Model()->rowCount(), 2);

    // An edit the line file refuses is said, and leaves the file as it was.
    SetEditorAnswer([](QDialog& dialog) {
        dialog.findChild<QSpinBox*>("Spin_ModuleAddress")->setValue(1);
        return int(QDialog::Accepted);
    });
    overview->Table_Modules->selectRow(0);
    overview->Command_AddModule->click();
    SetEditorAnswer({});
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_TRUE(platform.messages[0].contains("the address 1 is on this line twice"))
        << platform.messages[0].toStdString();
    EXPECT_EQ(overview->File().lines[0].modules.size(), 1u);

    ASSERT_TRUE(overview->StartRecording(dir.filePath("rec.csv"), CsvRotation::Never()));
    overview->Command_Start_Click();
    EXPECT_EQ(overview->Command_Start->text(), "Stop");
    EXPECT_FALSE(overview->Command_AddModule->isEnabled());
    ASSERT_TRUE(TurnUntil([&] {
        return Cell(overview, 0, OverviewModel::ReadingsColumn).startsWith("RTD1 ") &&
               Cell(overview, 1, OverviewModel::ReadingsColumn).startsWith("AI_1 ");
    }));
    EXPECT_EQ(Cell(overview, 0, OverviewModel::ModelReadColumn), "ZN210");
    EXPECT_EQ(Cell(overview, 0, OverviewModel::StatusColumn), "ok");
    // RTD1 stands above its limit: red, its limit in the tooltip, and in the alarm list.
    const QModelIndex readings = overview->Model()->index(0, OverviewModel::ReadingsColumn);
    EXPECT_EQ(readings.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    EXPECT_TRUE(readings.data(Qt::ToolTipRole).toString().contains("high 10"))
        << readings.data(Qt::ToolTipRole).toString().toStdString();
    ASSERT_EQ(overview->Table_Alarms->rowCount(), 1);
    EXPECT_EQ(overview->Table_Alarms->item(0, 5)->text(), "RTD1");
    EXPECT_EQ(overview->Table_Alarms->item(0, 6)->text(), "high");
    EXPECT_EQ(overview->Table_Alarms->item(0, 8)->text(), "high 10");
    EXPECT_EQ(overview->Table_Alarms->item(0, 1)->text(), "");

    // A module's trend takes its readings from then on; a model without inputs has none.
    TrendFeed* trend = overview->TrendOf(1);
    ASSERT_NE(trend, nullptr);
    EXPECT_EQ(trend->Channels().size(), 8u);
    ASSERT_TRUE(TurnUntil([&] { return trend->Ring().Count() >= 2; }));

    // A double-click lends bus 1 to the ZN210 window, set to its port and address; bus 2 goes on.
    WorkTarget asked;
    QObject::connect(overview, &LineOverviewWindow::OpenTestWindow,
                     [&asked](const WorkTarget& target, int) { asked = target; });
    emit overview->Table_Modules->doubleClicked(overview->Model()->index(0, 0));
    EXPECT_EQ(asked.model, "ZN210");
    EXPECT_TRUE(overview->Lent(0));
    WorkWindow* zn210 = main.Window("ZN210");
    ASSERT_NE(zn210, nullptr);
    EXPECT_TRUE(zn210->isVisible());
    // Its trend controls show beside its Read button, as in every work window.
    QPushButton* trendButton = zn210->findChild<QPushButton*>("Command_Trend");
    ASSERT_NE(trendButton, nullptr);
    EXPECT_TRUE(trendButton->isVisible());
    EXPECT_EQ(zn210->Panel()->Combo1->currentText(), dir.filePath("COM1"));
    // The device is free for the test window's port.
    EXPECT_TRUE(SerialPort::OpenPort(dir.filePath("COM1"), "9600,N,8,1"));
    SerialPort::ClosePort();
    // Once the polls it made before it let go are in, bus 1's counts stand still.
    const int other = Requests(overview, 1);
    ASSERT_TRUE(TurnUntil([&] { return Requests(overview, 1) > other; }));
    const int lent = Requests(overview, 0);
    ASSERT_TRUE(TurnUntil([&] { return Requests(overview, 1) > other + 3; }));
    EXPECT_EQ(Requests(overview, 0), lent);

    // Closed, the window gives it back, and the counts go on from where they were.
    zn210->close();
    EXPECT_FALSE(overview->Lent(0));
    ASSERT_TRUE(TurnUntil([&] { return Requests(overview, 0) > lent; }));
    overview->Command_Start_Click();
    EXPECT_FALSE(overview->Running());
    EXPECT_EQ(overview->Command_Start->text(), "Start");
    overview->StopRecording();

    const QStringList recorded = FileLines(dir.filePath("rec.csv"));
    ASSERT_GE(recorded.size(), 3);
    EXPECT_EQ(recorded[0], "BOMtime,line,address,tag,model,channel,value,unit,status,alarm");
    EXPECT_TRUE(recorded.filter(",bus 1,1,TT-1,ZN210,RTD1,").size() > 0);
    EXPECT_TRUE(recorded.filter(",bus 2,5,AI-5,ZN260,AI_8,19.53,mA,ok,").size() > 0);
    const QStringList alarms = FileLines(dir.filePath("rec_alarms.csv"));
    ASSERT_EQ(alarms.size(), 2);
    EXPECT_EQ(alarms[0], "BOMtime,line,address,tag,model,channel,alarm,event,value,limit");
    EXPECT_TRUE(alarms[1].contains(",bus 1,1,TT-1,ZN210,RTD1,high,raised,"))
        << alarms[1].toStdString();
    EXPECT_TRUE(alarms[1].endsWith(",high 10")) << alarms[1].toStdString();
    overview->close();
    delete overview;
}

TEST(LineOverviewWindowTest, StatusesAlarmsAndLimitsReadInEitherLanguage) {
    struct Case {
        int english;
        QString status, alarm, limit, low, identity;
    };
    const Case cases[] = {
        {1, "offline", "high", "high 80 (hysteresis 1)", "low 5 (hysteresis 1)",
         "address 3, 9600,None,8,1 (103)"},
        {0, "离线", "高报", "上限 80 (回差 1)", "下限 5 (回差 1)",
         "地址 3, 9600,N(无校验),8,1 (103)"},
    };
    for (const Case& c : cases) {
        Switches().EnglishUi = c.english;
        TextTable::Fill(c.english == 1);
        ModuleReport report;
        report.status = ModuleStatus::Offline;
        EXPECT_EQ(OverviewTexts::StatusText(&report, true), c.status);
        EXPECT_EQ(OverviewTexts::AlarmText("high"), c.alarm);
        const ChannelLimits limits{5.0, 80.0, 1};
        const bool english = c.english == 1;
        EXPECT_EQ(AlarmTracker::LimitText(ChannelAlarm::High, limits, english), c.limit);
        EXPECT_EQ(AlarmTracker::LimitText(ChannelAlarm::Low, limits, english), c.low);
        EXPECT_EQ(AlarmTracker::LimitText(ChannelAlarm::None, limits, english), "");
        EXPECT_EQ(OverviewTexts::IdentityText(ModuleParameters{3, 103, 210}), c.identity);
    }
}

TEST(LineOverviewWindowTest, AlarmsRaisedTogetherEachHaveTheirRowAndClearTheirOwn) {
    RecordingPlatform platform;
    ScratchSys sys;
    sys.WriteFile("set2.rc", "0\r\n0\r\n1\r\n");
    Switches().EnglishUi = 1;
    TextTable::Fill(true);
    LineModule module;
    module.model = "ZN210";
    module.limits = {{"RTD1", {std::nullopt, 10.0, 0}}, {"RTD2", {std::nullopt, 10.0, 0}}};
    LineFile file;
    LineOfModules line;
    line.name = "bus 1";
    line.modules = {module};
    file.lines.push_back(line);
    LineOverviewWindow window;
    window.SetFile(file, {});
    // Readings as the poller gives them, each with the alarm it holds.
    const auto report = [](int64_t timeMs, ChannelAlarm first, ChannelAlarm second) {
        ModuleReport r;
        r.timeMs = timeMs;
        r.status = ModuleStatus::Ok;
        r.poll.outcome = ModulePoll::Answered;
        for (const auto& [name, alarm] : {std::pair{"RTD1", first}, std::pair{"RTD2", second}}) {
            ChannelReading reading;
            reading.name = name;
            reading.value = alarm == ChannelAlarm::High ? 20.0 : 5.0;
            reading.alarm = alarm;
            r.poll.channels.push_back(reading);
        }
        return r;
    };
    const int64_t t0 = QDateTime(QDate(2026, 12, 8), QTime(8, 0, 0)).toMSecsSinceEpoch();
    window.TakeReport(report(t0, ChannelAlarm::High, ChannelAlarm::High));
    window.TakeReport(report(t0 + 5000, ChannelAlarm::None, ChannelAlarm::High));
    struct Row {
        QString channel, raised, cleared;
    };
    const Row rows[] = {{"RTD2", "08:00:00", ""}, {"RTD1", "08:00:00", "08:00:05"}};
    ASSERT_EQ(window.Table_Alarms->rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(window.Table_Alarms->item(row, 5)->text(), rows[row].channel) << row;
        EXPECT_EQ(window.Table_Alarms->item(row, 0)->text(), rows[row].raised) << row;
        EXPECT_EQ(window.Table_Alarms->item(row, 1)->text(), rows[row].cleared) << row;
    }
}
