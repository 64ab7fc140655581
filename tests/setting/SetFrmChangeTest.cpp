// Loading the parameter-setting window, the address and parameter changes byte for byte, their
// refusals, and the explanation texts.
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include "tests/setting/SetFrmFixture.h"
#include "windows/setting/SettingWindows.h"

TEST_F(SetFrmTest, LoadsItsCaptionsListsAndFixedIntervals) {
    // tm.rc values that would change every other window's timers.
    sys.WriteFile("tm.rc",
                  "a          00999\r\nb          00999\r\nc          00999\r\n"
                  "d          00999\r\ne          00999\r\nf          00999\r\n");
    for (bool english : {true, false}) {
        Start(english, english);
        EXPECT_EQ(window.windowTitle(), english ? "Parameter Setting" : "参数设置");
        EXPECT_EQ(window.Frame7->title(), english ? " Module Parameter Read " : " 模块参数读取 ");
        EXPECT_EQ(window.Frame2->title(), english ? " Moudle Address Change " : " 模块地址更改 ");
        EXPECT_EQ(window.Frame3->title(),
                  english ? " Communication Parameter Change " : " 通讯参数更改 ");
        EXPECT_EQ(window.Label6->text(), english ? "New Address" : "模块新地址");
        EXPECT_EQ(window.Label7->text(), english ? "Address" : "模块地址");
        EXPECT_EQ(window.Label8->text(), english ? "Parameters" : "通讯参数");
        EXPECT_EQ(window.Command_OK1->text(), english ? "Read" : "读 取");
        EXPECT_EQ(window.Command_OK2->text(), english ? "Write" : "确 定");
        EXPECT_EQ(window.Command_OK3->text(), english ? "Write" : "确 定");
        for (QPushButton* button : window.Explain)
            EXPECT_EQ(button->text(), english ? "Explain" : "说 明");
        EXPECT_EQ(window.Combo_Baud->count(), english ? 30 : 8);
        EXPECT_EQ(window.Combo_Baud->currentText(),
                  english ? "9600,None,8,1" : "9600,N(无校验),8,1");
        EXPECT_EQ(window.Combo_Baud->itemText(english ? 29 : 7),
                  english ? "115200,Even,8,1" : "38400,E(偶校验),8,1");
        for (int index : {0, 1}) {
            ASSERT_NE(window.AddressList(index), nullptr);
            EXPECT_EQ(window.AddressList(index)->count(), 254);
            EXPECT_EQ(window.AddressList(index)->currentText(), "1");
            EXPECT_EQ(window.AddressList(index)->objectName(),
                      QString("Combo_Addr(%1)").arg(index));
        }
        // Both address lists belong to their own sections, none to the communication panel.
        EXPECT_TRUE(window.Frame2->isAncestorOf(window.AddressList(0)));
        EXPECT_TRUE(window.Frame3->isAncestorOf(window.AddressList(1)));
        EXPECT_FALSE(window.Panel()->isAncestorOf(window.AddressList(0)));
        EXPECT_EQ(window.TM_Acquisition_A->interval(), 150);
        EXPECT_EQ(window.TM_Overtime_A->interval(), 100);
        EXPECT_EQ(window.TM_Overtime_B->interval(), 300);
        window.Form_QueryUnload();
    }
}

TEST_F(SetFrmTest, IsRegisteredAndKeepsItsSearchStepWhenOpenedAgain) {
    WorkWindowFactoryMap factories;
    AddSettingWindows(factories);
    ASSERT_TRUE(factories.count("SetFrm"));
    std::unique_ptr<WorkWindow> made(factories["SetFrm"]());
    EXPECT_NE(dynamic_cast<SetFrm*>(made.get()), nullptr);

    Start(true, true);
    window.Command_OK1_Click();
    for (int step = 0; step < 3; ++step) Step({});
    window.AddressList(1)->setEditText("9");
    window.close();
    EXPECT_FALSE(SerialPort::IsOpen());
    window.OpenWindow();
    EXPECT_EQ(window.SearchStep, 3);
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
    EXPECT_FALSE(window.TM_Overtime_A->Enabled());
    EXPECT_EQ(window.AddressList(1)->currentText(), "1");
    EXPECT_TRUE(window.Text_Parameter->toPlainText().isEmpty());
    window.Command_Port_Click();
    window.Command_OK1_Click();
    EXPECT_EQ(Step({}).baud, 9600);  // the fourth candidate
}

TEST_F(SetFrmTest, AddressChangeIsABroadcastWriteOfRegister100) {
    Start(true, false);
    window.AddressList(0)->setEditText("17");
    window.Command_OK2_Click();
    EXPECT_EQ(SpacedHex(peer.ReadRequest()), "00 06 00 64 00 11 09 C8 ");
    EXPECT_EQ(window.Panel()->Text_Send->text(), "00 06 00 64 00 11 09 C8 ");
    EXPECT_TRUE(window.TM_Overtime_B->Enabled());
    peer.WriteHex("00 06 00 64 00 11 09 C8");
    window.TM_Overtime_B_Timer();
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
    EXPECT_EQ(window.Panel()->Text_Receive->text(), "00 06 00 64 00 11 09 C8 ");
    EXPECT_FALSE(window.TM_Overtime_B->Enabled());

    // Replies that do not confirm it; the last good echo stays shown until the next command.
    const QStringList rejected = {"", "00 06 00 64 00 11 09", "01 06 00 64 00 11 08 19",
                                  "00 06 00 64 00 11 09 C9", "00 86 02 92 61"};
    window.AddressList(0)->setEditText("5");
    for (const QString& reply : rejected) {
        SCOPED_TRACE(reply.toStdString());
        window.Command_OK2_Click();
        EXPECT_EQ(SpacedHex(peer.ReadRequest()), "00 06 00 64 00 05 09 C7 ");
        peer.WriteHex(reply);
        window.TM_Overtime_B_Timer();
        EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data error！");
        EXPECT_TRUE(window.Panel()->Text_Receive->text().isEmpty());
        EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(SetFrmTest, ParameterChangeWritesTheCodeOfTheChosenOrTypedEntry) {
    struct Case {
        bool english;
        bool full;
        QString address;
        int listIndex;  // -1: the text is typed by hand
        QString typed;
        QString wire;  // empty: refused with the setting error, nothing sent
    };
    const Case cases[] = {
        {true, false, "3", 0, "", "03 06 00 65 00 01 59 F7 "},  // 4800,None: short code 1
        {true, true, "3", 2, "", "03 06 00 65 00 66 18 1D "},   // 4800,None: full code 102
        {true, false, "3", -1, "1200,None,8,1", "03 06 00 65 00 64 99 DC "},
        {true, false, "3", -1, "4800,None,8,1", "03 06 00 65 00 01 59 F7 "},
        // Texts that name no entry of the list in use have no code.
        {true, false, "3", -1, "9600,N,8,1", ""},
        {true, false, "3", -1, "", ""},
        {true, true, "3", -1, "9600 None", ""},
        {true, true, "3", -1, "9600,none,8,1", ""},
        {false, false, "3", -1, "9600,None,8,1", ""},
        {true, true, "5", 15, "", "05 06 00 65 00 73 D9 B4 "},  // 19200,Odd: 115
        {false, false, "5", -1, "115200,E(偶校验),8,1", "05 06 00 65 00 81 58 31 "},
        {false, false, "254", 7, "", "FE 06 00 65 00 08 8C 1C "},  // 38400,E(偶校验): 8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wire.toStdString());
        Start(c.english, c.full);
        window.AddressList(1)->setEditText(c.address);
        if (c.listIndex >= 0)
            window.Combo_Baud->setCurrentIndex(c.listIndex);
        else
            window.Combo_Baud->setEditText(c.typed);
        platform.messages.clear();
        window.Command_OK3_Click();
        EXPECT_EQ(SpacedHex(peer.ReadRequest(c.wire.isEmpty() ? 60 : 500)), c.wire);
        EXPECT_EQ(window.Panel()->Text_Send->text(), c.wire);
        if (c.wire.isEmpty()) {
            EXPECT_EQ(platform.messages, QStringList{Tt(TextKey::MsgSettingError)});
            EXPECT_FALSE(window.TM_Overtime_B->Enabled());
            window.Form_QueryUnload();
            continue;
        }
        EXPECT_TRUE(platform.messages.isEmpty());
        peer.WriteHex(c.wire);
        window.TM_Overtime_B_Timer();
        EXPECT_EQ(window.Panel()->Text_Message->text(), Tt(TextKey::MsgCommNormal));
        // The panel keeps its settings: the module now listens elsewhere.
        EXPECT_EQ(window.Panel()->Combo2->currentText(), "9600");
        window.Form_QueryUnload();
    }
}

TEST_F(SetFrmTest, ChangesAreRefusedWithoutAnOpenPortOrAnAddressTheyCanUse) {
    TextTable::Fill(true);
    Switches() = StartupSwitches{};
    sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
    window.OpenWindow();
    window.Command_OK1_Click();
    window.Command_OK2_Click();
    window.Command_OK3_Click();
    EXPECT_EQ(platform.messages, QStringList(3, "Please open serial port！"));
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());

    window.Command_Port_Click();
    struct Case {
        int list;  // 0: new address (Command_OK2), 1: address to change (Command_OK3)
        QString address;
        QString result;  // the first six bytes sent, or the message that refuses the change
    };
    const QString noAddress = "Moudle address not selected！";
    const QString settingError = "Setting error！";
    const Case cases[] = {
        {0, "", noAddress},
        {1, "", noAddress},
        {0, "abc", settingError},
        {1, "abc", settingError},
        {0, "256", settingError},
        {1, "256", settingError},
        {0, "-1", settingError},
        {0, "1.5", settingError},
        {1, "0x10", settingError},
        // A module must stay reachable at its new address: not broadcast, not past 254.
        {0, "0", settingError},
        {0, "255", settingError},
        {0, " 255 ", settingError},
        {0, "1", "00 06 00 64 00 01 "},
        {0, "254", "00 06 00 64 00 FE "},
        // The module being changed may be addressed by any byte.
        {1, "0", "00 06 00 65 00 02 "},
        {1, " 255 ", "FF 06 00 65 00 02 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1 \"%2\"").arg(c.list).arg(c.address).toStdString());
        window.AddressList(0)->setEditText("1");
        window.AddressList(1)->setEditText("1");
        window.AddressList(c.list)->setEditText(c.address);
        platform.messages.clear();
        c.list == 0 ? window.Command_OK2_Click() : window.Command_OK3_Click();
        if (c.result.contains("！")) {
            EXPECT_EQ(platform.messages, QStringList{c.result});
            EXPECT_FALSE(window.TM_Overtime_B->Enabled());
            EXPECT_TRUE(peer.ReadRequest(60).isEmpty());
        } else {
            EXPECT_TRUE(platform.messages.isEmpty());
            EXPECT_EQ(SpacedHex(peer.ReadRequest()).left(18), c.result);
            window.TM_Overtime_B_Timer();
        }
    }
}

TEST_F(SetFrmTest, AChangeEndsARunningSearch) {
    Start(true, true);
    window.Command_OK1_Click();
    for (int step = 0; step < 2; ++step) Step({});
    window.TM_Acquisition_A_Timer();
    EXPECT_EQ(SpacedHex(peer.ReadRequest()), kParameterRead);
    // The change goes out at the settings the search left in the panel, and nothing else does.
    window.Command_OK2_Click();
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
    EXPECT_FALSE(window.TM_Overtime_A->Enabled());
    EXPECT_EQ(window.SearchStep, 3);
    EXPECT_EQ(peer.Baud(), 4800);
    EXPECT_EQ(SpacedHex(peer.ReadRequest()), "00 06 00 64 00 01 08 04 ");
    peer.WriteHex("00 06 00 64 00 01 08 04");
    window.TM_Overtime_B_Timer();
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
}

TEST_F(SetFrmTest, AChangeThatCannotReopenThePortLeavesThePanelClosed) {
    Start(true, true);
    struct Case {
        const char* how;
        bool vanish;  // the adapter is pulled; otherwise another program holds the port
        void (SetFrm::*command)();
    };
    const Case cases[] = {
        {"held, address change", false, &SetFrm::Command_OK2_Click},
        {"held, parameter change", false, &SetFrm::Command_OK3_Click},
        {"pulled, parameter change", true, &SetFrm::Command_OK3_Click},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        if (!window.Panel()->PortOpen()) window.Command_Port_Click();
        ASSERT_TRUE(window.Panel()->PortOpen());
        window.Command_OK1_Click();
        Step({});
        const int step = window.SearchStep;
        int holder = -1;
        if (c.vanish) {
            peer.Vanish();
        } else {
            SerialPort::ClosePort();
            holder = ::open(peer.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
            ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
        }
        platform.messages.clear();
        (window.*c.command)();
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0].section('\n', 0, 0),
                  "Serial port does not exist or already opened！");
        EXPECT_FALSE(SerialPort::IsOpen());
        EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Open");
        EXPECT_EQ(window.Panel()->Shape1->Color(), QColor(Qt::black));
        EXPECT_TRUE(window.Panel()->Combo1->isEnabled());
        EXPECT_EQ(window.Command_OK1->text(), "Read");
        EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
        EXPECT_FALSE(window.TM_Overtime_A->Enabled());
        EXPECT_FALSE(window.TM_Overtime_B->Enabled());
        EXPECT_EQ(window.SearchStep, step);
        if (holder >= 0) ::close(holder);
        if (!c.vanish) {
            EXPECT_TRUE(peer.ReadRequest(60).isEmpty());
        }
    }
}

TEST_F(SetFrmTest, ExplanationsInBothLanguages) {
    for (bool english : {true, false}) {
        TextTable::Fill(english);
        window.OpenWindow();
        platform.messages.clear();
        for (int index = 0; index < 3; ++index) window.Explain[index]->click();
        ASSERT_EQ(platform.messages.size(), 3);
        const QString broadcast =
            "It's a broadcast order,you need keep only one module in RS485 network when you use "
            "this order.";
        if (english) {
            EXPECT_EQ(platform.messages[0], broadcast);
            EXPECT_EQ(platform.messages[1], broadcast);
            EXPECT_EQ(platform.messages[2],
                      "This order will change the communication parameters of the module, please "
                      "use this order carefully.");
        } else {
            EXPECT_TRUE(platform.messages[0].startsWith("该指令可以读取模块的地址"));
            EXPECT_TRUE(platform.messages[1].startsWith("模块的默认地址是1，"));
            EXPECT_EQ(platform.messages[2],
                      "模块的默认通讯参数是‘9600,8,N(无校验),1’，当设置新的通讯参数后应在通讯设置中"
                      "选择正确通讯参数，并重启通讯端口，请谨慎使用该指令！");
        }
    }
}
