// The listen-only window, from the main window's button: captions in both languages, and a bus
// heard on a pseudo-terminal filling the traffic table and the module table, nothing written.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include <memory>

#include "app/MainWindow.h"
#include "app/WorkWindows.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "core/listen/ListenTexts.h"
#include "core/traffic/TrafficLog.h"
#include "monitor/ListenWindow.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficPanel.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TurnUntil.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"
#include "windows/analog/AnalogInputWindow.h"
#include "workwindow/CommPanel.h"

namespace {
TEST(ListenWindowTest, MainWindowButtonIsCaptionedInBothLanguages) {
    struct Case {
        const char* set2;
        QString caption;
        QString title;
    };
    const std::vector<Case> cases = {
        {"0\r\n0\r\n0\r\n", QString::fromUtf8("只监听"),
         QString::fromUtf8("只监听 - 由其他主站驱动的总线")},
        {"0\r\n0\r\n1\r\n", "Listen Only", "Listen Only - a bus another master drives"},
    };
    for (const Case& c : cases) {
        ScratchSys sys;
        sys.WriteFile("set2.rc", c.set2);
        Main main;
        main.Form_Load();
        EXPECT_EQ(main.Command_Listen->text(), c.caption);
        ListenWindow window;
        EXPECT_EQ(window.windowTitle(), c.title);
    }
}

TEST(ListenWindowTest, HearsABusAndTalliesItsModules) {
    RecordingPlatform platform;
    Switches().EnglishUi = 1;
    PtyPeer peer;
    ListenWindow window;
    window.show();
    window.Combo_Line->setEditText(peer.SlavePath());
    window.Combo_Baud->setCurrentText("19200");
    window.Command_Listen->click();
    ASSERT_TRUE(window.Session().Listened().Listening())
        << platform.messages.join('\n').toStdString();
    EXPECT_EQ(window.Command_Listen->text(), "Stop");
    EXPECT_FALSE(window.Combo_Line->isEnabled());

    // A master's read of module 5 and the module's exception, then silence.
    peer.Write(HexBytes("05 03 00 00 00 01", true));
    ASSERT_TRUE(TurnUntil([&] { return window.Session().Log().Count() == 1; }));
    peer.Write(HexBytes("05 83 02", true));
    ASSERT_TRUE(TurnUntil([&] { return window.Session().Log().Count() == 2; }));
    window.Panel()->Model()->Flush();
    ASSERT_EQ(window.Table_Modules->rowCount(), 1);
    EXPECT_EQ(window.Table_Modules->item(0, 0)->text(), "5");
    EXPECT_EQ(window.Table_Modules->item(0, 4)->text(), "1");  // exceptions
    EXPECT_EQ(window.Panel()->Model()->rowCount(), 2);
    EXPECT_EQ(window.Session().Log().Row(1).verdict, TrafficVerdict::Exception);
    // Copy takes the heard rows as the monitor's copy does.
    window.Panel()->Table()->selectAll();
    EXPECT_EQ(window.Panel()->CopySelection().count('\n'), 2);

    window.Command_Listen->click();
    EXPECT_FALSE(window.Session().Listened().IsOpen());
    EXPECT_EQ(window.Command_Listen->text(), "Listen");
    int waiting = -1;
    ASSERT_EQ(::ioctl(peer.MasterFd(), FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 0);  // not a byte from the window
}

// The work windows' port and a listen session's line are two lines: a ZN210 window polls its
// simulated module on its own timers while the session hears another bus, and neither loses a
// frame to the other.
TEST(ListenWindowTest, AWorkWindowPollsWhileListenOnlyHearsAnotherBus) {
    RecordingPlatform platform;
    ScratchSys sys;
    // A reply wait that a loaded machine keeps.
    sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
    sys.WriteFile("tm.rc",
                  "Poll       00050\r\nDigitalIn  00100\r\nOutWrite   00100\r\n"
                  "Measure    01000\r\nAnalogOut  00100\r\nMeasure2   00100\r\n");
    Switches() = StartupSwitches{};
    Switches().EnglishUi = 1;
    TextTable::Fill(true);
    SimProcess sim;
    ASSERT_TRUE(sim.Start(
        {"--freeze", "12.5", "--bus", sys.Path() + "/sys/COM1", "--module", "ZN210,addr=1"}))
        << sim.Output().toStdString();
    std::unique_ptr<AnalogInputWindow> work(
        dynamic_cast<AnalogInputWindow*>(WorkWindowFactories().at("ZN210")()));
    ASSERT_TRUE(work);
    work->OpenWindow();
    work->Command_Port_Click();
    ASSERT_EQ(work->Panel()->Command_Port->text(), "Port Close")
        << platform.messages.join('\n').toStdString();

    PtyPeer bus;
    ListenWindow listen;
    listen.show();
    listen.Combo_Line->setEditText(bus.SlavePath());
    listen.Combo_Baud->setCurrentText("9600");
    listen.Command_Listen->click();
    ASSERT_TRUE(listen.Session().Listened().Listening())
        << platform.messages.join('\n').toStdString();
    EXPECT_TRUE(SerialPort::IsOpen());
    EXPECT_FALSE(SerialPort::Listening());

    TrafficLog& own = TrafficLog::Instance();
    own.Clear();
    const auto acceptedReplies = [&] {
        int accepted = 0;
        for (int i = 0; i < own.Count(); ++i)
            accepted += own.Row(i).verdict == TrafficVerdict::Accepted;
        return accepted;
    };
    work->Command_OK1_Click();  // the loop runs on its own timers from here
    const TrafficLog& heard = listen.Session().Log();
    constexpr int kRounds = 5;
    for (int k = 0; k < kRounds; ++k) {
        const QString register_ = QString("00 %1").arg(k, 2, 10, QLatin1Char('0'));
        bus.Write(HexBytes("09 03 " + register_ + " 00 01", true));
        ASSERT_TRUE(TurnUntil([&] { return heard.Count() == 2 * k + 1; })) << k;
        bus.Write(HexBytes("09 03 02 12 " + QString("%1").arg(k, 2, 10, QLatin1Char('0')), true));
        ASSERT_TRUE(TurnUntil([&] { return heard.Count() == 2 * k + 2; })) << k;
    }
    ASSERT_TRUE(TurnUntil([&] { return acceptedReplies() >= kRounds; }));
    work->Command_OK1_Click();

    // Every frame heard, whole and paired; every reply of the window's module accepted.
    for (int i = 0; i < heard.Count(); ++i) {
        const TrafficRow& row = heard.Row(i);
        EXPECT_EQ(row.verdict, i % 2 ? TrafficVerdict::Accepted : TrafficVerdict::Request) << i;
        EXPECT_EQ(row.bytes.size(), i % 2 ? 7u : 8u) << i;
        EXPECT_EQ(row.bytes[0], 0x09) << i;
    }
    const ModuleTally* module = listen.Session().Stats().Find(9);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->requests, kRounds);
    EXPECT_EQ(module->replies, kRounds);
    EXPECT_EQ(listen.Session().Stats().Modules().size(), 1u);
    for (int i = 0; i < own.Count(); ++i) {
        const TrafficRow& row = own.Row(i);
        if (row.direction == TrafficRow::Sent) continue;
        // The reply cut short by Stop may be left uncollected; none is refused.
        EXPECT_FALSE(row.Rejected()) << i << " " << row.meaning.toStdString();
        if (row.verdict == TrafficVerdict::Accepted) {
            EXPECT_EQ(row.bytes[0], 0x01) << i;
        }
    }
    EXPECT_EQ(work->Panel()->Text_Message->text(), Tt(TextKey::MsgCommNormal));
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('\n').toStdString();
    int waiting = -1;
    ASSERT_EQ(::ioctl(bus.MasterFd(), FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 0);  // not a byte from the program on the listened bus
    listen.Command_Listen->click();
    EXPECT_TRUE(SerialPort::IsOpen());
    work->close();
}
}  // namespace
