// The serial layer against real pseudo-terminals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"

using namespace SerialPort;

namespace {
class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override { TextTable::Fill(true); }
    void TearDown() override { ClosePort(); }
    ScratchSys sys;
    RecordingPlatform platform;
};

const QString kUnavailable = "Serial port does not exist or already opened！";
}  // namespace

TEST_F(SerialPortTest, PortNamesResolve) {
    PtyPeer module("sys/COM3");
    EXPECT_EQ(DevicePath("COM3"), "sys/COM3");
    EXPECT_EQ(DevicePath("com3"), "sys/COM3");
    EXPECT_EQ(DevicePath("COM5"), "/dev/ttyS4");
    EXPECT_EQ(DevicePath(module.SlavePath()), module.SlavePath());
    EXPECT_TRUE(OpenPort("COM3", "9600,N,8,1"));
    EXPECT_TRUE(IsOpen());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(SerialPortTest, WhatIsNoPortIsReportedAsUnavailable) {
    QDir().mkpath("sys/adir");
    sys.WriteFile("plain.txt", "hello");
    for (const QString& name : {QString("COM99"), QString("sys/adir"), QString("sys/plain.txt"),
                                QString("/nonexistent/tty"), QString(""), QString("LPT1")}) {
        platform.messages.clear();
        EXPECT_FALSE(OpenPort(name, "9600,N,8,1")) << name.toStdString();
        // Under the known line, why (told in full by tests/ports/PortErrorsTest.cpp).
        ASSERT_EQ(platform.messages.size(), 1) << name.toStdString();
        EXPECT_EQ(platform.messages[0].section('\n', 0, 0), kUnavailable) << name.toStdString();
        EXPECT_FALSE(IsOpen());
    }
}

TEST_F(SerialPortTest, APortHeldElsewhereIsUnavailable) {
    PtyPeer module("sys/COM1");
    const int other = ::open(module.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(OpenPort("COM1", "9600,N,8,1"));
    EXPECT_EQ(platform.messages,
              QStringList{kUnavailable + "\nAnother program holds sys/COM1. Close it first."});
    ::close(other);
    EXPECT_TRUE(OpenPort("COM1", "9600,N,8,1"));
}

TEST_F(SerialPortTest, BadSettingsStringsAreRejectedAndThePortClosed) {
    PtyPeer module("sys/COM1");
    for (const QString& settings :
         {QString("abc,N,8,1"), QString("0,N,8,1"), QString("-9600,N,8,1"), QString("9600,X,8,1"),
          QString("9600,,8,1"), QString("9600,N,9,1"), QString("9600,N,4,1"), QString("9600,N,8,3"),
          QString("9600,N,8"), QString("9600,N,8,1,1"), QString("")}) {
        platform.messages.clear();
        EXPECT_FALSE(OpenPort("COM1", settings)) << settings.toStdString();
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0], "Invalid device DCB " + settings + " error: 22");
        EXPECT_FALSE(IsOpen());
    }
}

TEST_F(SerialPortTest, LineSettingsReachTheFarEndIncludingOddRatesAndReopenedParity) {
    PtyPeer module("sys/COM1");
    struct {
        const char* settings;
        int baud;
        bool odd;
    } cases[] = {
        {"9600,N,8,1", 9600, false},     {"14400,E,8,1", 14400, false},
        {"28800,O,8,1", 28800, true},    {"28800,o,8,2", 28800, true},
        {"115200,E,8,1", 115200, false}, {"115200,E,8,1", 115200, false},
        {"1200,O,7,1", 1200, true},      {"1200,O,7,1", 1200, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(OpenPort("COM1", c.settings)) << c.settings;
        EXPECT_EQ(module.Baud(), c.baud) << c.settings;
        EXPECT_EQ(module.OddParity(), c.odd) << c.settings;
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(SerialPortTest, WritesAndReadsWholeBursts) {
    PtyPeer module("sys/COM1");
    ASSERT_TRUE(OpenPort("COM1", "9600,N,8,1"));
    EXPECT_EQ(ReadPortHex(), "");  // nothing pending

    const uint8_t request[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x04, 0x44, 0x09};
    std::copy(std::begin(request), std::end(request), PortBuffer().begin());
    EXPECT_EQ(WritePort(8), 8);
    EXPECT_EQ(SpacedHex(module.ReadRequest()), "01 03 00 00 00 04 44 09 ");

    module.WriteHex("01 03 02 00 7B F8 67");
    EXPECT_EQ(ReadPortHex(), "010302007BF867");

    // More than the buffer holds: at most 255 bytes per read, the rest waits for the next.
    module.Write(QByteArray(300, '\x5A'));
    EXPECT_EQ(ReadPortHex().size(), 510);
    EXPECT_EQ(ReadPortHex().size(), 90);

    // Opening again throws away what was pending.
    module.Write(QByteArray(10, '\x11'));
    ASSERT_TRUE(OpenPort("COM1", "9600,N,8,1"));
    EXPECT_EQ(ReadPortHex(), "");
}

TEST_F(SerialPortTest, ClosedOrVanishedPortsAreHarmless) {
    ClosePort();
    ClosePort();
    EXPECT_EQ(ReadPortHex(), "");
    EXPECT_EQ(WritePort(8), 0);
    FlushPort();

    PtyPeer module("sys/COM1");
    ASSERT_TRUE(OpenPort("COM1", "9600,N,8,1"));
    module.Vanish();
    EXPECT_EQ(ReadPortHex(), "");  // no hang, no crash
    PortBuffer()[0] = 1;
    EXPECT_EQ(WritePort(1), 0);
    EXPECT_EQ(platform.messages, QStringList{kUnavailable});
    ClosePort();
    EXPECT_FALSE(OpenPort("COM1", "9600,N,8,1"));  // the device is gone
}
