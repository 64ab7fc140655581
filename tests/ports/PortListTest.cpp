// Port lists: the devices present as entries, what a picked entry opens, and how it is
// remembered in set.rc and survives the start-up.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/StartUp.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "core/line/PortDiscovery.h"
#include "core/line/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"

namespace {
// Installs a list of devices as what the system finds, for as long as it lives.
class FakeDevices {
  public:
    FakeDevices() {
        old_ = PortDiscovery::SetSource([this] { return ports; });
    }
    ~FakeDevices() { PortDiscovery::SetSource(old_); }
    QList<DiscoveredPort> ports;

  private:
    PortDiscovery::Source old_;
};

QStringList Items(const QComboBox* list, int from = 0) {
    QStringList items;
    for (int i = from; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

const DiscoveredPort kFtdi{
    "/dev/ttyUSB0",    "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0",
    "FT232R USB UART", "FTDI",
    "A10K3XYZ",        true};
const DiscoveredPort kCh340{"/dev/ttyUSB1", "", "", "", "", true};
const DiscoveredPort kAcm{"/dev/ttyACM0", "/dev/serial/by-id/usb-Acme_RS485_0042-if00",
                          "RS485 Bridge", "Acme",
                          "0042",         true};
const DiscoveredPort kBuiltIn{"/dev/ttyS0", "", "", "", "", false};
const DiscoveredPort kBare{"/dev/ttyXR3", "", "", "", "", false};
const DiscoveredPort kCom5{"COM5", "", "USB-SERIAL CH340", "wch.cn", "", true};
const DiscoveredPort kMakerOnly{"/dev/ttyUSB2", "", "", "Prolific", "P123", true};
}  // namespace

TEST(PortList, DiscoveredDevicesBecomeEntriesThatNameWhatOpensThem) {
    struct Case {
        bool english;
        QList<DiscoveredPort> ports;
        QList<QPair<QString, QString>> entries;  // text shown, device opened
    } cases[] = {
        {true, {}, {}},
        {true,
         {kFtdi, kCh340, kAcm, kBuiltIn, kBare, kMakerOnly},
         {{kFtdi.stableName + " — FT232R USB UART (FTDI), serial number A10K3XYZ, now /dev/ttyUSB0",
           kFtdi.stableName},
          {"/dev/ttyUSB1 — USB serial adapter", "/dev/ttyUSB1"},
          {kAcm.stableName + " — RS485 Bridge (Acme), serial number 0042, now /dev/ttyACM0",
           kAcm.stableName},
          {"/dev/ttyS0 — built-in serial port (COM1)", "/dev/ttyS0"},
          {"/dev/ttyXR3", "/dev/ttyXR3"},
          {"/dev/ttyUSB2 — USB serial adapter (Prolific), serial number P123", "/dev/ttyUSB2"}}},
        // One device reported twice: one entry.
        {true, {kCh340, kCh340}, {{"/dev/ttyUSB1 — USB serial adapter", "/dev/ttyUSB1"}}},
        {false,
         {kFtdi, kCh340, kBuiltIn},
         {{kFtdi.stableName + " — FT232R USB UART (FTDI), 序列号 A10K3XYZ, 当前为 /dev/ttyUSB0",
           kFtdi.stableName},
          {"/dev/ttyUSB1 — USB 串口适配器", "/dev/ttyUSB1"},
          {"/dev/ttyS0 — 板载串口 (COM1)", "/dev/ttyS0"}}},
    };
    for (const Case& c : cases) {
        TextTable::Fill(c.english);
        const QList<PortEntry> entries = PortDiscovery::Entries(c.ports);
        ASSERT_EQ(entries.size(), c.entries.size());
        for (int i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].text, c.entries[i].first);
            EXPECT_EQ(entries[i].device, c.entries[i].second);
            // What is shown leads back to what is opened.
            EXPECT_EQ(PortDiscovery::DeviceOfText(entries[i].text), entries[i].device);
        }
    }
    EXPECT_EQ(PortDiscovery::DeviceOfText(" /dev/ttyUSB0 "), "/dev/ttyUSB0");
    EXPECT_EQ(PortDiscovery::DeviceOfText("COM3"), "COM3");
}

namespace {
class PortListPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        Switches().EnglishUi = 1;
        sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
        sys.WriteFile("set2.rc", "0\r\n0\r\n1\r\n");
    }
    void TearDown() override { SerialPort::ClosePort(); }
    ScratchSys sys;
    RecordingPlatform platform;
    FakeDevices devices;
};
}  // namespace

TEST_F(PortListPanel, TheListOffersTheDevicesPresentAndFindsThemAgainEachTimeItOpens) {
    devices.ports = {kBuiltIn};
    CommPanel panel(nullptr);
    panel.Load();
    QStringList com;
    for (int port = 1; port <= 20; ++port) com << QStringLiteral("COM%1").arg(port);
    EXPECT_EQ(Items(panel.Combo1).mid(0, 20), com);
    EXPECT_EQ(Items(panel.Combo1, 20), QStringList{"/dev/ttyS0 — built-in serial port (COM1)"});
    EXPECT_EQ(panel.Combo1->itemData(20).toString(), "/dev/ttyS0");
    EXPECT_EQ(panel.Combo1->currentIndex(), 0);

    struct Step {
        QList<DiscoveredPort> present;  // what the system finds when the list opens
        int pick;                       // entry picked before it opens, -1: none
        QString typed;                  // text typed before it opens, when not empty
        QStringList devices;            // the entries after COM20
        QString shown;                  // the text after it opened
    } steps[] = {
        // An adapter plugged in after the window opened; COM1 stays chosen.
        {{kBuiltIn, kFtdi}, -1, "", {"/dev/ttyS0", kFtdi.stableName}, "COM1"},
        // The picked adapter keeps its entry when another one goes.
        {{kFtdi}, 21, "", {kFtdi.stableName}, PortDiscovery::Entries({kFtdi})[0].text},
        // A typed path stays as typed; a picked COM port stays picked.
        {{kFtdi, kCh340}, -1, "/dev/ttyUSB9", {kFtdi.stableName, "/dev/ttyUSB1"}, "/dev/ttyUSB9"},
        {{}, 6, "", {}, "COM7"},
        // A port Windows names COMn is described on its COM entry, never listed twice.
        {{kCom5}, 4, "", {}, "COM5 — USB-SERIAL CH340 (wch.cn)"},
        {{kCom5, kFtdi}, -1, "", {kFtdi.stableName}, "COM5 — USB-SERIAL CH340 (wch.cn)"},
        {{}, -1, "", {}, "COM5"},
    };
    for (const Step& step : steps) {
        if (step.pick >= 0) panel.Combo1->setCurrentIndex(step.pick);
        if (!step.typed.isEmpty()) panel.Combo1->setEditText(step.typed);
        devices.ports = step.present;
        panel.Combo1->showPopup();
        panel.Combo1->hidePopup();
        QStringList listed;
        for (int i = 20; i < panel.Combo1->count(); ++i)
            listed << panel.Combo1->itemData(i).toString();
        EXPECT_EQ(listed, step.devices) << step.shown.toStdString();
        EXPECT_EQ(panel.Combo1->currentText(), step.shown);
    }
}

TEST_F(PortListPanel, APickedDeviceOpensAndIsRememberedByWindowsAndStartUps) {
    PtyPeer module;
    // A stable name like udev's, leading to the pseudo-terminal.
    QDir().mkpath("by-id");
    const QString stable = QDir::current().absoluteFilePath("by-id/usb-Fake_RS485_SN1-if00");
    ASSERT_TRUE(QFile::link(module.SlavePath(), stable));
    devices.ports = {{module.SlavePath(), stable, "RS485 adapter", "", "SN1", true}};

    CommPanel panel(nullptr);
    panel.Load();
    ASSERT_EQ(panel.Combo1->count(), 21);
    panel.Combo1->setCurrentIndex(20);
    EXPECT_EQ(panel.Combo1->currentText(),
              stable + " — RS485 adapter, serial number SN1, now " + module.SlavePath());
    EXPECT_EQ(panel.PortName(), stable);
    panel.Combo2->setEditText("19200");
    ASSERT_TRUE(panel.OpenFromLists());
    EXPECT_EQ(module.Baud(), 19200);
    ASSERT_TRUE(panel.ReopenFromLists());
    EXPECT_TRUE(platform.messages.isEmpty());
    SerialPort::ClosePort();

    panel.SaveSettings();
    const QByteArray remembered = "0\r\n19200\r\nNone\r\n" + stable.toUtf8() + "\r\n";
    EXPECT_EQ(sys.ReadFile("set.rc"), remembered);
    RunStartUp();
    EXPECT_EQ(sys.ReadFile("set.rc"), remembered);
    CommPanel next(nullptr);
    next.Load();
    EXPECT_EQ(next.Combo1->currentText(), stable);
    ASSERT_TRUE(next.OpenFromLists());
    EXPECT_EQ(module.Baud(), 19200);
}

TEST_F(PortListPanel, Set4thLineIsKeptForDevicePathsOnlyAndReadOnlyBesideA0) {
    // What a panel shows for a set.rc, and what the start-up leaves of it.
    struct Load {
        QByteArray file;
        QString shown;
        int index;
        QByteArray afterStartUp;
    } loads[] = {
        {"0\r\n9600\r\nNone\r\n/dev/ttyUSB3\r\n", "/dev/ttyUSB3", -1,
         "0\r\n9600\r\nNone\r\n/dev/ttyUSB3\r\n"},
        {"0\r\n9600\r\nNone\r\n/dev/ttyUSB3\r\nmore\r\n", "/dev/ttyUSB3", -1,
         "0\r\n9600\r\nNone\r\n/dev/ttyUSB3\r\n"},
        {"5\r\n9600\r\nNone\r\n/dev/ttyUSB3\r\n", "COM5", 4,
         "5\r\n9600\r\nNone\r\n/dev/ttyUSB3\r\n"},
        {"0\r\n9600\r\nNone\r\n", "COM0", -1, "0\r\n9600\r\nNone\r\n"},
        {"0\r\n9600\r\nNone\r\n\r\n", "COM0", -1, "0\r\n9600\r\nNone\r\n"},
        {"\r\n9600\r\nNone\r\n/dev/ttyUSB3\r\n", "COM", -1, "\r\n9600\r\nNone\r\n/dev/ttyUSB3\r\n"},
    };
    for (const Load& load : loads) {
        sys.WriteFile("set.rc", load.file);
        CommPanel panel(nullptr);
        panel.Load();
        EXPECT_EQ(panel.Combo1->currentText(), load.shown) << load.file.toStdString();
        EXPECT_EQ(panel.Combo1->currentIndex(), load.index) << load.file.toStdString();
        RunStartUp();
        EXPECT_EQ(sys.ReadFile("set.rc"), load.afterStartUp) << load.file.toStdString();
    }

    // What a panel writes for the port it shows.
    devices.ports = {kFtdi};
    struct Save {
        QString typed;
        int pick;
        QByteArray file;
    } saves[] = {
        {"COM7", -1, "7\r\n9600\r\nNone\r\n"},
        {"", 2, "3\r\n9600\r\nNone\r\n"},
        {"/dev/ttyUSB7", -1, "0\r\n9600\r\nNone\r\n/dev/ttyUSB7\r\n"},
        {"", 20, "0\r\n9600\r\nNone\r\n" + kFtdi.stableName.toUtf8() + "\r\n"},
        {"LPT1", -1, "0\r\n9600\r\nNone\r\n"},
    };
    for (const Save& save : saves) {
        sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
        CommPanel panel(nullptr);
        panel.Load();
        if (save.pick >= 0) panel.Combo1->setCurrentIndex(save.pick);
        if (!save.typed.isEmpty()) panel.Combo1->setEditText(save.typed);
        panel.SaveSettings();
        EXPECT_EQ(sys.ReadFile("set.rc"), save.file) << save.typed.toStdString() << save.pick;
    }
}

TEST_F(PortListPanel, ANetworkLineIsRememberedInSetRcAndOfferedAfterTheDevices) {
    devices.ports = {kBuiltIn};
    const struct {
        QString typed;
        QByteArray file;
    } lines[] = {
        {"rfc2217://127.0.0.1:4001", "0\r\n9600\r\nNone\r\nrfc2217://127.0.0.1:4001\r\n"},
        {"tcp://gw-3.plant:4001", "0\r\n9600\r\nNone\r\ntcp://gw-3.plant:4001\r\n"},
        {"modbus-tcp://10.0.0.7", "0\r\n9600\r\nNone\r\nmodbus-tcp://10.0.0.7\r\n"},
    };
    for (const auto& line : lines) {
        sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
        {
            CommPanel panel(nullptr);
            panel.Load();
            panel.Combo1->setEditText(line.typed);
            EXPECT_EQ(panel.PortName(), line.typed);
            panel.SaveSettings();
        }
        EXPECT_EQ(sys.ReadFile("set.rc"), line.file);
        // The next start shows it, and offers it after the devices.
        CommPanel panel(nullptr);
        panel.Load();
        EXPECT_EQ(panel.Combo1->currentText(), line.typed);
        EXPECT_EQ(Items(panel.Combo1, 20),
                  (QStringList{"/dev/ttyS0 — built-in serial port (COM1)", line.typed}));
        panel.Combo1->setCurrentIndex(21);
        EXPECT_EQ(panel.PortName(), line.typed);
    }
}

TEST(PortList, TheSystemListsSerialDevicesThatExistWithTheirStableNames) {
    TextTable::Fill(true);
    QTemporaryDir byId;
    const QList<DiscoveredPort> plain = PortDiscovery::SystemPorts(byId.path());
    for (const DiscoveredPort& port : plain) {
        struct stat status {};
        ASSERT_EQ(::stat(port.path.toLocal8Bit().constData(), &status), 0)
            << port.path.toStdString();
        EXPECT_TRUE(S_ISCHR(status.st_mode)) << port.path.toStdString();
        EXPECT_TRUE(port.stableName.isEmpty());
    }
    if (plain.isEmpty()) GTEST_SKIP() << "this machine has no serial device";
    // udev's links name the adapter; a link found there becomes the entry's device.
    const QString link = byId.path() + "/usb-Test_Adapter_X1-if00-port0";
    ASSERT_TRUE(QFile::link(plain[0].path, link));
    const QList<DiscoveredPort> named = PortDiscovery::SystemPorts(byId.path());
    ASSERT_EQ(named.size(), plain.size());
    EXPECT_EQ(named[0].stableName, link);
    EXPECT_EQ(PortDiscovery::Entries(named)[0].device, link);
}
