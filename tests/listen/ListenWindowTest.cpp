// The listen-only window, from the main window's button: captions in both languages, and a bus
// heard on a pseudo-terminal filling the traffic table and the module table, nothing written.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "app/MainWindow.h"
#include "base/Switches.h"
#include "link/ListenTexts.h"
#include "link/SerialPort.h"
#include "monitor/ListenWindow.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficPanel.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TestPlatform.h"

namespace {
bool TurnUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

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
    ASSERT_TRUE(SerialPort::Listening()) << platform.messages.join('\n').toStdString();
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
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_EQ(window.Command_Listen->text(), "Listen");
    int waiting = -1;
    ASSERT_EQ(::ioctl(peer.MasterFd(), FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 0);  // not a byte from the window
}
}  // namespace
