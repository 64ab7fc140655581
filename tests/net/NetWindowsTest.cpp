// Work windows on network lines, through ser2net in front of the simulator's pseudo-terminal: a
// ZN210 polled and a one-shot write over raw TCP, the parameter window's search moving the
// gateway's line through RFC 2217, and what a gateway that keeps its own settings cannot do.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/WorkWindows.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/Peers.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/Ser2net.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"
#include "windows/analog/AnalogInputWindow.h"
#include "windows/setting/SetFrm.h"
#include "workwindow/CommPanel.h"

namespace {
class NetWindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        Switches().EnglishUi = 1;
        Switches().FullSerialLists = 1;
    }
    void TearDown() override { SerialPort::ClosePort(); }

    // The simulator's bus behind ser2net in `mode`, remembered in set.rc as the line to open.
    void StartGateway(Ser2net::Mode mode, const QString& module) {
        ZN_NEED_PEER(!FindTool("ser2net").isEmpty(), "ser2net");
        ASSERT_TRUE(sim_.Start(
            {"--freeze", "12.5", "--bus", scratch_.filePath("COM1"), "--module", module}))
            << sim_.Output().toStdString();
        ASSERT_TRUE(gateway_.Start(mode, scratch_.filePath("COM1"), scratch_.path()));
        sys.WriteFile("set.rc", "0\r\n9600\r\nNone\r\n" + gateway_.Url().toUtf8() + "\r\n");
    }
    void Open(WorkWindow& window) {
        window.OpenWindow();
        window.Command_Port_Click();
        ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close")
            << platform.messages.join("\n").toStdString();
    }

    ScratchSys sys;
    RecordingPlatform platform;
    QTemporaryDir scratch_;
    SimProcess sim_;
    Ser2net gateway_;
};
}  // namespace

TEST_F(NetWindowsTest, AZn210PollsOverRawTcpAndTheParameterWindowWritesOnce) {
    StartGateway(Ser2net::Mode::Raw, "ZN210,addr=1");
    if (HasFatalFailure() || IsSkipped()) return;
    std::unique_ptr<AnalogInputWindow> window(
        dynamic_cast<AnalogInputWindow*>(WorkWindowFactories().at("ZN210")()));
    Open(*window);
    EXPECT_EQ(window->Panel()->Combo1->currentText(), gateway_.Url());
    EXPECT_FALSE(window->Panel()->Label_Gateway->isHidden());
    EXPECT_EQ(window->Panel()->Label_Gateway->text(), "The gateway's own line settings apply");
    window->Command_OK1_Click();
    for (int poll = 0; poll < 3; ++poll) {
        window->TM_Acquisition_A_Timer();
        ASSERT_TRUE(SerialPort::WaitForInput(3000));
        window->TM_Overtime_A_Timer();
        EXPECT_EQ(window->Panel()->Text_Message->text(), Tt(TextKey::MsgCommNormal));
        EXPECT_TRUE(window->Panel()->Text_Receive->text().startsWith("01 03 08 "));
    }
    window->close();

    SetFrm setting;
    Open(setting);
    // A one-shot write: the module's new address, broadcast, echoed.
    setting.AddressList(0)->setEditText("5");
    setting.Command_OK2_Click();
    ASSERT_TRUE(SerialPort::WaitForInput(3000));
    setting.TM_Overtime_B_Timer();
    EXPECT_EQ(setting.Panel()->Text_Receive->text(), "00 06 00 64 00 05 09 C7 ");
    // What needs the gateway's line moved is refused, saying what would do it.
    const struct {
        void (SetFrm::*click)();
        QString message;
    } refusals[] = {
        {&SetFrm::Command_OK1_Click,
         "The search tries each line setting in turn, which a tcp:// or modbus-tcp:// line cannot "
         "set: the gateway keeps its own. Turn RFC 2217 on in the gateway and open it as "
         "rfc2217://HOST:PORT."},
        {&SetFrm::Command_OK3_Click,
         "After the change the module answers only at its new line settings, which a tcp:// or "
         "modbus-tcp:// line cannot make the gateway follow. Turn RFC 2217 on in the gateway and "
         "open it as rfc2217://HOST:PORT."},
    };
    for (const auto& r : refusals) {
        platform.messages.clear();
        (setting.*r.click)();
        EXPECT_EQ(platform.messages, QStringList{r.message});
        EXPECT_FALSE(setting.Searching());
    }
}

TEST_F(NetWindowsTest, TheParameterWindowsSearchMovesTheGatewaysLineThroughRfc2217) {
    StartGateway(Ser2net::Mode::Rfc2217, "ZN260,addr=1,baud=19200,parity=O");
    if (HasFatalFailure() || IsSkipped()) return;
    SetFrm window;
    Open(window);
    EXPECT_TRUE(window.Panel()->Label_Gateway->isHidden());  // this gateway's line is ours
    window.Command_OK1_Click();
    int steps = 0;
    while (window.Searching() && steps < 40) {
        window.TM_Acquisition_A_Timer();
        ++steps;
        if (steps == 16) SerialPort::WaitForInput(3000);  // 19200 odd is the sixteenth
        window.TM_Overtime_A_Timer();
    }
    EXPECT_EQ(steps, 16);
    EXPECT_EQ(window.Text_Parameter->toPlainText(),
              "Address: 1\nParameters: 19200,Odd,8,1\nModel: ZN260");
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("\n").toStdString();
}
