#pragma once
// A parameter-setting window on a pseudo-terminal whose far end plays one module.
#include <gtest/gtest.h>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "core/line/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/QStringPrinter.h"
#include "windows/setting/SetFrm.h"

// The broadcast parameter read, as it must leave the program.
inline const QString kParameterRead = "00 03 00 64 00 03 45 C5 ";

// A module set to one baud rate and parity, answering the broadcast read only at those settings.
struct ScriptedModule {
    int baud = 0;
    char parity = 'N';
    QByteArray reply;  // what it answers with
};

class SetFrmTest : public ::testing::Test {
  protected:
    void TearDown() override { SerialPort::ClosePort(); }

    // Loads the window in a language with the full or short lists and opens the port at 9600.
    void Start(bool english, bool fullLists) {
        TextTable::Fill(english);
        Switches() = StartupSwitches{};
        Switches().EnglishUi = english ? 1 : 0;
        Switches().FullSerialLists = fullLists ? 1 : 0;
        sys.WriteFile("set.rc", "1\r\n9600\r\n" + Tt(TextKey::ParityNone).toUtf8() + "\r\n");
        window.OpenWindow();
        window.Command_Port_Click();
        ASSERT_EQ(window.Panel()->Command_Port->text(), Tt(TextKey::CaptionPortClose));
    }

    // One search step: the window reconfigures the port and sends the read; the module answers
    // when the line is at its settings. A pty carries the baud rate and odd parity but drops
    // even parity, so even and none are told apart by the letter the window built.
    // Returns the settings the step used.
    ScriptedModule Step(const ScriptedModule& module) {
        window.TM_Acquisition_A_Timer();
        const QByteArray request = peer.ReadRequest();
        EXPECT_EQ(SpacedHex(request), kParameterRead);
        const char letter = ParityLetter().isEmpty() ? '?' : ParityLetter().at(0).toLatin1();
        const ScriptedModule used{peer.Baud(), peer.OddParity() ? 'O' : letter, {}};
        EXPECT_EQ(peer.OddParity(), letter == 'O');
        if (!request.isEmpty() && used.baud == module.baud && used.parity == module.parity)
            peer.Write(module.reply);
        window.TM_Overtime_A_Timer();
        return used;
    }

    QString ParameterLines() const { return window.Text_Parameter->toPlainText(); }

    ScratchSys sys;
    RecordingPlatform platform;
    PtyPeer peer{"sys/COM1"};
    SetFrm window;
};
