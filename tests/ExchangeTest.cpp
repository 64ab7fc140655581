// The shared exchange machinery end to end over a pseudo-terminal: panel, poll loop, one-shot
// command, re-open on a bad reply, closing the port and the window.
#include <gtest/gtest.h>

#include <QVBoxLayout>

#include "base/SettingsFiles.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "workwindow/PollLoop.h"
#include "core/line/SerialPort.h"
#include "workwindow/WorkWindow.h"
#include "tests/support/ProbeWindow.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"

namespace {
class ExchangeTest : public ProbeWindowTest {
  protected:
    void OpenPort() {
        window.Command_Port_Click();
        ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    }
    // One poll: tick, check the request bytes, answer, collect.
    void Poll(const QByteArray& reply) {
        window.loop->AcquisitionTick();
        EXPECT_EQ(SpacedHex(module.ReadRequest()), "01 03 00 00 00 04 44 09 ");
        module.Write(reply);
        window.loop->OvertimeTick();
    }

    PtyPeer module{"sys/COM1"};
};
}  // namespace

TEST_F(ExchangeTest, PanelOpensWithSettingsFromSetRcAndClosesAgain) {
    EXPECT_EQ(window.Panel()->Combo1->currentText(), "COM1");
    EXPECT_EQ(window.Panel()->Combo2->currentText(), "9600");
    EXPECT_EQ(window.Panel()->Combo3->currentText(), "None");
    EXPECT_EQ(window.Panel()->Combo2->count(), 4);
    OpenPort();
    EXPECT_EQ(PortSettings(), "9600,N,8,1");
    EXPECT_EQ(module.Baud(), 9600);
    EXPECT_FALSE(window.Panel()->Combo1->isEnabled());
    EXPECT_EQ(window.Panel()->Shape1->Color(), QColor(0, 255, 0));
    window.Command_Port_Click();  // close
    EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Open");
    EXPECT_EQ(window.Panel()->Shape1->Color(), QColor(0, 0, 0));
    EXPECT_TRUE(window.Panel()->Combo1->isEnabled());
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(ExchangeTest, PanelTakesSetRcAsItStandsAndParityFallsBackToTheLastLetter) {
    sys.WriteFile("set.rc", "25\r\n57600\r\nEven\r\n");
    window.Form_Load();
    EXPECT_EQ(window.Panel()->Combo1->currentText(), "COM25");
    EXPECT_EQ(window.Panel()->Combo1->currentIndex(), -1);
    EXPECT_EQ(window.Panel()->Combo2->currentText(), "57600");
    window.Panel()->BuildSettings();
    EXPECT_EQ(PortSettings(), "57600,E,8,1");
    // A parity typed by hand reuses the letter of the last build.
    window.Panel()->Combo3->setEditText("Mark");
    window.Panel()->BuildSettings();
    EXPECT_EQ(PortSettings(), "57600,E,8,1");

    sys.WriteFile("set.rc", "99999999999\r\n9600\r\nNone\r\n");  // no number out of range
    window.Form_Load();
    EXPECT_EQ(window.Panel()->Combo1->currentText(), "COM99999");

    sys.WriteFile("set.rc", "");
    window.Form_Load();
    EXPECT_EQ(window.Panel()->Combo1->currentText(), "COM");
    EXPECT_EQ(window.Panel()->Combo2->currentText(), "");
    window.Command_Port_Click();  // fails with the serial layer's message, panel stays closed
    EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Open");
    EXPECT_EQ(platform.messages.size(), 1);

    Switches().FullSerialLists = 1;
    sys.WriteFile("set.rc", "3\r\n19200\r\nOdd\r\n");
    window.Form_Load();
    EXPECT_EQ(window.Panel()->Combo1->currentIndex(), 2);
    EXPECT_EQ(window.Panel()->Combo2->count(), 10);
    EXPECT_EQ(window.Panel()->Combo3->count(), 3);
    EXPECT_FALSE(window.Panel()->Combo4->isEnabled());
    EXPECT_EQ(window.Panel()->Combo4->currentText(), "8");
    EXPECT_EQ(window.Panel()->Combo5->currentText(), "1");
    EXPECT_EQ(window.AddressList(0)->count(), 254);
    EXPECT_EQ(window.AddressList(0)->currentText(), "1");
}

TEST_F(ExchangeTest, PollLoopAcceptsGoodRepliesAndRecoversFromBadOnes) {
    OpenPort();
    window.loop->Click();
    EXPECT_EQ(window.loop->Button->text(), "Stop");
    EXPECT_EQ(window.PollFlag, 1);
    EXPECT_TRUE(window.loop->Acquisition->Enabled());

    const QByteArray good = HexBytes("01 03 08 02 6C 02 6D 02 6E 02 6F", true);
    Poll(good);
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
    EXPECT_EQ(window.Panel()->Text_Receive->text(), SpacedHex(good));
    EXPECT_EQ(window.FirstRegister(), 0x026C);
    EXPECT_TRUE(window.loop->Acquisition->Enabled());
    EXPECT_FALSE(window.loop->Overtime->Enabled());

    // Each of these is rejected; the port is re-opened and polling goes on.
    QByteArray badCrc = good;
    badCrc[badCrc.size() - 1] = static_cast<char>(badCrc.back() ^ 0x01);
    const QList<QByteArray> bad = {
        QByteArray(),                                        // silence
        good.left(good.size() - 1),                          // one byte short
        QByteArray(1, '\0') + good,                          // stray leading byte
        HexBytes("02 03 08 02 6C 02 6D 02 6E 02 6F", true),  // another address
        HexBytes("01 83 02", true),                          // exception reply
        badCrc,
        QByteArray(300, '\x55'),  // garbage past the buffer
    };
    for (const QByteArray& reply : bad) {
        window.registers.clear();
        Poll(reply);
        EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data error！")
            << SpacedHex(reply).toStdString();
        EXPECT_EQ(window.FirstRegister(), -1);
        EXPECT_EQ(window.Panel()->Text_Receive->text(), SpacedHex(good));
        EXPECT_TRUE(window.loop->Acquisition->Enabled());
        EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    }
    // The garbage left nothing behind for the next exchange.
    Poll(good);
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(ExchangeTest, AModuleLateOnEveryRequestIsNeverShownOnePollBehind) {
    // Each reply lands after its request was judged (and the port re-opened, where the window
    // does that): it must be thrown away, not shown as the answer to the next request.
    for (const bool reopens : {true, false}) {
        SCOPED_TRACE(reopens ? "re-opening window" : "window that keeps the port");
        window.reopensOnReject = reopens;
        OpenPort();
        window.loop->Click();
        for (int poll = 1; poll <= 3; ++poll) {
            window.loop->AcquisitionTick();
            ASSERT_FALSE(module.ReadRequest().isEmpty());
            window.loop->OvertimeTick();  // judged before the module answers
            EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data error！");
            EXPECT_EQ(window.FirstRegister(), -1);
            module.Write(HexBytes(QString("01 03 08 00 0%1 00 00 00 00 00 00").arg(poll), true));
            ASSERT_TRUE(SerialPort::WaitForInput(5000));  // the late reply is in the driver
        }
        // A reply in time is taken, and only it.
        Poll(HexBytes("01 03 08 00 07 00 02 00 03 00 04", true));
        EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
        EXPECT_EQ(window.FirstRegister(), 7);
        EXPECT_EQ(SerialPort::DiscardedBeforeWrite(), 13);
        window.Command_Port_Click();
        window.registers.clear();
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(ExchangeTest, StopWhileAwaitingStillShowsTheReplyButSendsNoMore) {
    OpenPort();
    window.loop->Click();
    window.loop->AcquisitionTick();
    module.ReadRequest();
    window.loop->Click();  // Stop
    EXPECT_EQ(window.PollFlag, 0);
    module.Write(HexBytes("01 03 08 00 07 00 02 00 03 00 04", true));
    window.loop->OvertimeTick();
    EXPECT_EQ(window.FirstRegister(), 7);
    EXPECT_FALSE(window.loop->Acquisition->Enabled());
    EXPECT_EQ(window.loop->Button->text(), "Read");
}

TEST_F(ExchangeTest, OneShotCommandPausesAndResumesTheLoop) {
    OpenPort();
    window.loop->Click();
    Poll(HexBytes("01 03 08 00 01 00 02 00 03 00 04", true));
    window.Write(0);
    EXPECT_FALSE(window.loop->Acquisition->Enabled());
    EXPECT_EQ(platform.waited, 100);
    EXPECT_EQ(SpacedHex(module.ReadRequest()), "01 06 04 4C 00 00 49 2D ");
    EXPECT_EQ(window.Panel()->Text_Send->text(), "01 06 04 4C 00 00 49 2D ");
    module.Write(HexBytes("01 06 04 4C 00 00 49 2D"));
    window.TM_Overtime_C_Timer();
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
    EXPECT_TRUE(window.loop->Acquisition->Enabled());
    EXPECT_EQ(window.PollFlag, 1);
}

TEST_F(ExchangeTest, RefusalsBeforeSendingShowTheirMessageAndSendNothing) {
    // Read with the port closed: the first tick stops the loop with a message.
    window.loop->Click();
    window.loop->AcquisitionTick();
    EXPECT_EQ(platform.messages, QStringList{"Please open serial port！"});
    EXPECT_EQ(window.loop->Button->text(), "Read");
    EXPECT_EQ(window.PollFlag, 0);
    window.Write(0);  // a later write does not start polling
    EXPECT_FALSE(window.loop->Acquisition->Enabled());

    // Write pressed while a loop started on a closed port awaits its first tick: the port stays
    // closed, and the loop, which would meet the closed port itself, stops with the one message.
    platform.messages.clear();
    window.loop->Click();
    window.Write(0);
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_EQ(platform.messages, QStringList{"Please open serial port！"});
    EXPECT_FALSE(window.loop->Acquisition->Enabled());
    EXPECT_EQ(window.loop->Button->text(), "Read");
    EXPECT_EQ(window.PollFlag, 0);

    OpenPort();
    platform.messages.clear();
    for (const QString& text :
         {QString(), QString("abc"), QString("256"), QString("-1"), QString("1.5")}) {
        window.AddressList(0)->setEditText(text);
        window.Write(0);
        window.loop->Click();
        window.loop->AcquisitionTick();
        EXPECT_EQ(window.loop->Button->text(), "Read");
    }
    EXPECT_EQ(
        platform.messages,
        QStringList({"Moudle address not selected！", "Moudle address not selected！",
                     "Setting error！", "Setting error！", "Setting error！", "Setting error！",
                     "Setting error！", "Setting error！", "Setting error！", "Setting error！"}));
    EXPECT_TRUE(module.ReadRequest(50).isEmpty());
    // One click, one message: a command refused during polling for an address the loop shares
    // stops the loop rather than letting its next tick say the same again.
    window.AddressList(0)->setEditText("1");
    window.loop->Click();
    window.AddressList(0)->setEditText("x");
    platform.messages.clear();
    window.Write(0);
    EXPECT_EQ(platform.messages, QStringList{"Setting error！"});
    EXPECT_FALSE(window.loop->Acquisition->Enabled());
    EXPECT_EQ(window.loop->Button->text(), "Read");
}

TEST_F(ExchangeTest, ClosingThePortStopsTheLoopAndClosingTheWindowSavesSetRc) {
    OpenPort();
    window.loop->Click();
    window.Command_Port_Click();
    EXPECT_EQ(window.loop->Button->text(), "Read");
    EXPECT_EQ(window.PollFlag, 0);
    EXPECT_FALSE(window.loop->Acquisition->Enabled());
    window.Write(0);
    EXPECT_FALSE(window.loop->Acquisition->Enabled());

    window.Panel()->Combo1->setCurrentIndex(6);
    window.Panel()->Combo2->setEditText("19200");
    window.Panel()->Combo3->setCurrentIndex(1);
    bool closed = false;
    QObject::connect(&window, &WorkWindow::Closed, [&] { closed = true; });
    window.close();
    EXPECT_TRUE(closed);
    EXPECT_EQ(sys.ReadFile("set.rc"), "7\r\n19200\r\nEven\r\n");
    // A port typed rather than picked is remembered all the same; a device path as 0, and
    // itself on a fourth line.
    for (const auto& [typed, kept] : {std::pair{"COM7", "7"}, std::pair{"com25", "25"},
                                      std::pair{"/dev/ttyUSB7", "0"}, std::pair{"COM", "0"}}) {
        window.Panel()->Combo1->setCurrentIndex(2);
        window.Panel()->Combo1->setEditText(typed);
        window.Form_QueryUnload();
        const QByteArray path = QByteArray(typed).contains('/') ? typed + QByteArray("\r\n") : "";
        EXPECT_EQ(sys.ReadFile("set.rc"), QByteArray(kept) + "\r\n19200\r\nEven\r\n" + path)
            << typed;
    }
    // Opened again: the boxes start empty, the last texts are still known.
    window.Panel()->Text_Message->setText("Communication data normal！");
    window.SentText = "01 ";
    window.OpenWindow();
    EXPECT_TRUE(window.Panel()->Text_Message->text().isEmpty());
    EXPECT_EQ(window.SentText, "01 ");
}

TEST_F(ExchangeTest, AVanishedDeviceEndsWithOneMessageAndThePanelClosed) {
    // Gone before the request is written, or while its reply is awaited; in a window that
    // re-opens on a rejected reply and in one that keeps the port (ZN270).
    for (const bool reopens : {true, false}) {
        for (const bool goneBeforeWrite : {true, false}) {
            SCOPED_TRACE(QString("reopens %1, gone before write %2")
                             .arg(reopens)
                             .arg(goneBeforeWrite)
                             .toStdString());
            PtyPeer adapter("sys/COM1");
            window.reopensOnReject = reopens;
            platform.messages.clear();
            OpenPort();
            window.loop->Click();
            if (goneBeforeWrite) adapter.Vanish();
            window.loop->AcquisitionTick();
            if (!goneBeforeWrite) {
                ASSERT_FALSE(adapter.ReadRequest().isEmpty());
                adapter.Vanish();
            }
            window.loop->OvertimeTick();
            EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Open");
            EXPECT_EQ(window.Panel()->Shape1->Color(), QColor(0, 0, 0));
            EXPECT_EQ(window.loop->Button->text(), "Read");
            EXPECT_FALSE(window.loop->Acquisition->Enabled());
            EXPECT_EQ(window.PollFlag, 0);
            EXPECT_FALSE(SerialPort::IsOpen());
            ASSERT_EQ(platform.messages.size(), 1);
            EXPECT_EQ(platform.messages[0].section('\n', 0, 0),
                      "Serial port does not exist or already opened！");
        }
    }
}

TEST_F(ExchangeTest, AReopenFindsTheDeviceTheUserOpenedOrClosesThePanel) {
    // The port's link is moved to another device (or removed) while polling: the re-open after
    // a rejected reply must not go on with whatever the name now leads to, and says the same
    // either way (not /dev/ttyS0's permissions, say, where the name falls back to).
    QString said;
    for (const bool relinked : {true, false}) {
        SCOPED_TRACE(relinked ? "link moved" : "link removed");
        PtyPeer chosen("sys/COM1");
        platform.messages.clear();
        OpenPort();
        window.loop->Click();
        window.loop->AcquisitionTick();
        ASSERT_FALSE(chosen.ReadRequest().isEmpty());
        window.loop->OvertimeTick();  // silence, and the port is re-opened: still the chosen one
        EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Close");
        PtyPeer other;
        QFile::remove("sys/COM1");
        if (relinked) QFile::link(other.SlavePath(), "sys/COM1");
        window.loop->AcquisitionTick();
        ASSERT_FALSE(chosen.ReadRequest().isEmpty());
        window.loop->OvertimeTick();  // no reply: the re-open fails
        EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Open");
        EXPECT_EQ(window.loop->Button->text(), "Read");
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0].section('\n', 0, 0),
                  "Serial port does not exist or already opened！");
        if (!said.isEmpty()) EXPECT_EQ(platform.messages[0], said);
        said = platform.messages[0];
        EXPECT_FALSE(SerialPort::IsOpen());
        EXPECT_TRUE(other.ReadRequest(50).isEmpty());
        // The user may choose the new device by opening the port again.
        if (relinked) {
            OpenPort();
            window.loop->Click();
            window.loop->AcquisitionTick();
            EXPECT_EQ(SpacedHex(other.ReadRequest()), "01 03 00 00 00 04 44 09 ");
            window.Command_Port_Click();
        }
        QFile::remove("sys/COM1");
    }
}

TEST_F(ExchangeTest, BeepSoundsOnlyInTheBeepingModes) {
    for (int mode = 0; mode <= 4; ++mode) {
        Switches().FeatureMode = mode;
        platform.beeps = 0;
        BeepIfEnabled();
        EXPECT_EQ(platform.beeps, mode == 1 || mode == 4 ? 1 : 0) << mode;
    }
}
