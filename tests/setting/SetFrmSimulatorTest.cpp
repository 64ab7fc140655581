// End to end against the module simulator: the window finds a simulated module, moves it to
// another address and other line settings, and finds it there.
#include "tests/setting/SetFrmFixture.h"
#include "tests/support/SimProcess.h"

namespace {
class SetFrmSimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        Switches().EnglishUi = 1;
        Switches().FullSerialLists = 1;
        sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
        ASSERT_TRUE(
            simulator.Start({"--bus", "sys/COM1", "--module", "ZN260,addr=1,baud=19200,parity=O"}));
    }
    void TearDown() override { SerialPort::ClosePort(); }

    // Runs the search to its end; the candidates tried. At the candidate the module should
    // answer, the reply is given time to arrive however busy the machine is.
    int Search(int answeringStep) {
        window.Command_OK1_Click();
        int steps = 0;
        while (window.Searching() && steps < 40) {
            window.TM_Acquisition_A_Timer();
            ++steps;
            if (steps == answeringStep) SerialPort::WaitForInput(3000);
            window.TM_Overtime_A_Timer();
        }
        return steps;
    }
    // A change command and its reply.
    void Change(void (SetFrm::*click)()) {
        (window.*click)();
        SerialPort::WaitForInput(3000);
        window.TM_Overtime_B_Timer();
    }

    ScratchSys sys;
    RecordingPlatform platform;
    SimProcess simulator;
    SetFrm window;
};
}  // namespace

TEST_F(SetFrmSimulatorTest, FindsAModuleMovesItAndFindsItAtItsNewSettings) {
    window.OpenWindow();
    window.Command_Port_Click();
    ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close");

    EXPECT_EQ(Search(16), 16);  // 19200 odd is the sixteenth candidate
    EXPECT_EQ(window.Text_Parameter->toPlainText(),
              "Address: 1\nParameters: 19200,Odd,8,1\nModel: ZN260");
    EXPECT_EQ(window.Panel()->Combo2->currentText(), "19200");
    EXPECT_EQ(window.Panel()->Combo3->currentText(), "Odd");

    window.AddressList(0)->setEditText("5");
    Change(&SetFrm::Command_OK2_Click);
    EXPECT_EQ(window.Panel()->Text_Receive->text(), "00 06 00 64 00 05 09 C7 ");
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");

    window.AddressList(1)->setEditText("5");
    window.Combo_Baud->setCurrentIndex(18);  // 57600,Odd,8,1: code 118
    Change(&SetFrm::Command_OK3_Click);
    EXPECT_EQ(window.Panel()->Text_Receive->text(), "05 06 00 65 00 76 19 B7 ");
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");

    EXPECT_EQ(Search(19), 19);  // 57600 odd
    EXPECT_EQ(window.Text_Parameter->toPlainText(),
              "Address: 5\nParameters: 57600,Odd,8,1\nModel: ZN260");
    EXPECT_EQ(window.Panel()->Combo2->currentText(), "57600");
    EXPECT_EQ(window.Panel()->Combo3->currentText(), "Odd");
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_TRUE(platform.messages.isEmpty());
}
