// The register window against the module simulator (the znsim program) on a pseudo-terminal:
// every group of a module is read, and a written register shows on the next read.
#include <gtest/gtest.h>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"
#include "windows/registers/RegisterGroups.h"
#include "windows/registers/SysFrm.h"

namespace {
class SysFrmSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        Switches().FeatureMode = 4;
        Switches().EnglishUi = 1;
        sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
        ASSERT_TRUE(sim.Start({"--bus", "sys/COM1", "--module", "ZN260,addr=3", "--freeze", "5"}));
        window.OpenWindow();
        window.Command_Port_Click();
        ASSERT_TRUE(window.Panel()->PortOpen());
        window.AddressList(0)->setEditText("3");
        window.AddressList(1)->setEditText("3");
    }
    void TearDown() override { SerialPort::ClosePort(); }
    // One poll, the reply judged once the simulator's reply has arrived (the ceilings leave a
    // loaded machine room; the waits end when the first byte is there).
    QStringList Poll() {
        window.TM_Acquisition_A_Timer();
        SerialPort::WaitForInput(10000);
        window.TM_Overtime_A_Timer();
        return window.Text_Read->toPlainText().split('\n');
    }

    ScratchSys sys;
    RecordingPlatform platform;
    SimProcess sim;
    SysFrm window;
};
}  // namespace

TEST_F(SysFrmSimTest, EveryGroupOfASimulatedModuleIsReadAndAWriteShowsOnTheNextRead) {
    window.Command_OK1_Click();
    const auto groups = RegisterGroups(4);
    ASSERT_EQ(window.Combo_Sel->count(), static_cast<int>(groups.size()));
    for (int index = 0; index < window.Combo_Sel->count(); ++index) {
        window.Combo_Sel->setCurrentIndex(index);
        const QStringList lines = Poll();
        const RegisterGroup& group = groups[index];
        EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！")
            << group.entry;
        const bool pairs = group.first == 1280 || group.first == 2304;
        EXPECT_EQ(lines.size(), pairs ? group.count / 2 : group.count) << group.entry;
        EXPECT_EQ(window.Panel()->Text_Receive->text().size(), 3 * ReadReplyBytes(group.count));
    }
    window.Combo_Sel->setCurrentIndex(0);
    EXPECT_EQ(Poll().value(0), "(setAddr  ) 100: 3");

    // Sensor Range is writable: the value written is read back.
    window.Text_REGWR->setText("&H541");
    window.Text_WR->setText("4321");
    window.Command_OK2_Click();
    SerialPort::WaitForInput(10000);
    window.TM_Overtime_C_Timer();
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
    EXPECT_TRUE(window.TM_Acquisition_A->Enabled());
    window.Combo_Sel->setCurrentIndex(2);
    EXPECT_EQ(Poll().value(1), "1345: 4321");

    // A typed frame reads register 100 (address 3) the same way.
    window.Panel()->Text_Send->setText("03 03 00 64 00 01 C4 37");
    window.Command_OK3_Click();
    SerialPort::WaitForInput(10000);
    window.TM_Overtime_ADJ_Timer();
    EXPECT_EQ(window.Panel()->Text_Receive->text(), "03 03 02 00 03 81 85 ");
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('\n').toStdString();
}
