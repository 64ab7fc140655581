#pragma once
// Common ground of the function-test window tests: a scratch sys/ folder whose tm.rc lines all
// differ, a recording platform, and a module on a pseudo-terminal at sys/COM1.
#include <gtest/gtest.h>

#include <memory>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "workwindow/WorkWindow.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TestPlatform.h"

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Every line its own value, so each timer shows which line fed it.
        sys.WriteFile("tm.rc",
                      "Poll       00200\r\nDigitalIn  00021\r\nOutWrite   00031\r\n"
                      "Measure    00041\r\nAnalogOut  00051\r\nMeasure2   00061\r\n");
        UseLanguage(true);
    }
    void TearDown() override { SerialPort::ClosePort(); }

    void UseLanguage(bool english, int featureMode = 0) {
        TextTable::Fill(english);
        Switches() = StartupSwitches{};
        Switches().EnglishUi = english ? 1 : 0;
        Switches().FeatureMode = featureMode;
        sys.WriteFile("set.rc", english ? "1\r\n9600\r\nNone\r\n" : "1\r\n9600\r\n无校验\r\n");
    }

    // Loads the window and opens its port.
    void Start(WorkWindow& window) {
        window.OpenWindow();
        window.Command_Port_Click();
        ASSERT_EQ(window.Panel()->Command_Port->text(), Tt(TextKey::CaptionPortClose));
    }

    // A new window of class W, loaded, its port open.
    template <class W>
    std::unique_ptr<W> OpenWith() {
        auto window = std::make_unique<W>();
        Start(*window);
        return window;
    }

    // The next request on the wire, as spaced hex ("" when none came within `timeoutMs`, a
    // ceiling for a request that is due; Quiet() checks that none is).
    QString Request(int timeoutMs = 5000) { return SpacedHex(module.ReadRequest(timeoutMs)); }
    // Nothing more was sent.
    bool Quiet() { return module.ReadRequest(60).isEmpty(); }

    // A function 3 reply from address 1 carrying `registers`, CRC appended.
    static QByteArray ReadReply(const QList<int>& registers) {
        QString text = QStringLiteral("01 03 %1 ").arg(2 * registers.size(), 2, 16, QChar('0'));
        for (int value : registers)
            text += QStringLiteral("%1 %2 ")
                        .arg(value >> 8, 2, 16, QChar('0'))
                        .arg(value & 0xFF, 2, 16, QChar('0'));
        return HexBytes(text.toUpper(), true);
    }

    static QString Message(const WorkWindow& window) {
        return window.Panel()->Text_Message->text();
    }
    static QString Normal() { return Tt(TextKey::MsgCommNormal); }
    static QString Error() { return Tt(TextKey::MsgCommError); }

    ScratchSys sys;
    RecordingPlatform platform;
    PtyPeer module{"sys/COM1"};
};
