// The program's serial layer and Modbus framing against a pymodbus RTU server on a socat pty
// pair: the bytes a foreign implementation sends back must be accepted and decoded, and its
// refusals rejected.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/Peers.h"
#include "tests/support/ProbeWindow.h"
#include "tests/support/SimProcess.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"

namespace {
const char* kPython = "/usr/bin/python3";

// The server script in the source tree, or ZN_PYMODBUS_SERVER for a run from a copy.
QString ServerScript() {
    const QString chosen = qEnvironmentVariable("ZN_PYMODBUS_SERVER");
    return chosen.isEmpty() ? QStringLiteral(PYMODBUS_SERVER) : chosen;
}

class PymodbusPeer : public ::testing::Test {
  protected:
    void SetUp() override {
        ZN_NEED_PEER(!FindTool("socat").isEmpty(), "socat");
        ZN_NEED_PEER(RunTool(kPython, {"-c", "import pymodbus.server"}).exitCode == 0,
                     "python3-pymodbus (with python3-serial-asyncio)");
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
        // sys/COM1 is the program's end, sys/peer the server's.
        socat.start("socat", {"pty,raw,echo=0,link=" + sys.Path() + "/sys/COM1",
                              "pty,raw,echo=0,link=" + sys.Path() + "/sys/peer"});
        ASSERT_TRUE(socat.waitForStarted(5000));
        WaitFor(sys.Path() + "/sys/peer");
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(kPython, {ServerScript(), sys.Path() + "/sys/peer"});
        ASSERT_TRUE(server.waitForStarted(5000));
        // A Python server on a busy machine may be slower to answer than a module.
        window.replyWaitMs = 2000;
        window.OpenWindow();
        window.Command_Port_Click();
        ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close");
        // The server opens its end a moment after it starts; a poll goes through once it has.
        QElapsedTimer clock;
        clock.start();
        while (!window.Poll() && clock.elapsed() < 10000) QThread::msleep(100);
        ASSERT_EQ(window.Panel()->Text_Message->text(), Tt(TextKey::MsgCommNormal))
            << server.readAll().toStdString();
    }
    void TearDown() override {
        SerialPort::ClosePort();
        for (QProcess* p : {&server, &socat}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(3000)) p->kill(), p->waitForFinished(1000);
        }
    }
    static void WaitFor(const QString& path) {
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(path) && clock.elapsed() < 5000) QThread::msleep(20);
    }
    QString Received() const { return window.Panel()->Text_Receive->text(); }

    ScratchSys sys;
    RecordingPlatform platform;
    QProcess socat;
    QProcess server;
    ProbeWindow window;
};
}  // namespace

TEST_F(PymodbusPeer, PollRepliesAreAcceptedAndDecodedByteForByte) {
    ASSERT_TRUE(window.Poll());
    // The server's CRC is the one the program computes for the same bytes.
    EXPECT_EQ(Received(), SpacedHex(HexBytes("01 03 08 03 23 02 26 00 00 FF FF", true)));
    EXPECT_EQ(window.registers, (std::vector<int>{803, 550, 0, 65535}));
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(PymodbusPeer, WritesAreEchoedAndReadBack) {
    ASSERT_TRUE(window.Exchange(WriteRegisterRequest(1, 49, 3900), 8));
    EXPECT_EQ(Received(), window.SentText);
    ASSERT_TRUE(window.Exchange(ReadRequest(1, 0x03, 48, 6), 17));
    EXPECT_EQ(RegisterOfReply(window.ReceivedText, 0), 3820);
    EXPECT_EQ(RegisterOfReply(window.ReceivedText, 1), 3900);
    EXPECT_EQ(RegisterOfReply(window.ReceivedText, 5), 19122);

    // Coils 1 and 3 on, then read back with function 01.
    ASSERT_TRUE(window.Exchange({1, 0x0F, 0, 0, 0, 4, 1, 0x0A}, 8));
    EXPECT_TRUE(Received().startsWith("01 0F 00 00 00 04 ")) << Received().toStdString();
    ASSERT_TRUE(window.Exchange(ReadRequest(1, 0x01, 0, 4), 6));
    EXPECT_TRUE(Received().startsWith("01 01 01 0A ")) << Received().toStdString();
}

TEST_F(PymodbusPeer, DiscreteInputsArePackedLowBitFirst) {
    ASSERT_TRUE(window.Exchange(ReadRequest(1, 0x02, 0, 16), 7));
    EXPECT_EQ(Received(), SpacedHex(HexBytes("01 02 02 05 80", true)));
    ASSERT_TRUE(window.Exchange(ReadRequest(1, 0x02, 0, 4), 6));
    EXPECT_EQ(Received(), SpacedHex(HexBytes("01 02 01 05", true)));
}

TEST_F(PymodbusPeer, ExceptionsAndSilenceAreRejectedAndPollingRecovers) {
    EXPECT_FALSE(window.Exchange(ReadRequest(1, 0x03, 300, 1), 7));
    EXPECT_EQ(window.ReceivedText, SpacedHex(HexBytes("01 83 02", true)));
    EXPECT_EQ(window.Panel()->Text_Message->text(), Tt(TextKey::MsgCommError));
    EXPECT_FALSE(window.Exchange(ReadRequest(2, 0x03, 0, 4), 13));  // nobody at address 2
    EXPECT_EQ(window.ReceivedText, "");
    // The rejections re-opened the port; the line still works.
    EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    EXPECT_TRUE(window.Poll());
    EXPECT_TRUE(platform.messages.isEmpty());
}
