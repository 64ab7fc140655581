// End to end against the module simulator: the scan window finds a line of twenty modules
// exactly, and commissions a bench of five modules one at a time, logging only what it read back.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <functional>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "core/overview/LineFile.h"
#include "core/traffic/TrafficLog.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"
#include "widgets/CsvSaveDialog.h"
#include "windows/scan/ScanFrm.h"

namespace {
class ScanSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        Switches().EnglishUi = 1;
        Switches().FullSerialLists = 1;
        sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
        TrafficLog::Instance().Clear();
    }
    void TearDown() override { SerialPort::ClosePort(); }

    void Open() {
        window.OpenWindow();
        window.Command_Port_Click();
        ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    }

    // Runs the event loop until `done` holds, for at most `ceilingMs` (a ceiling for a busy
    // machine, not a measure).
    static bool RunUntil(const std::function<bool()>& done, int ceilingMs) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > ceilingMs) return false;
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return true;
    }

    // The traffic monitor's rows of a cause: the requests, and their replies' verdicts.
    static QStringList Logged(const QString& cause) {
        QStringList rows;
        const TrafficLog& log = TrafficLog::Instance();
        for (int i = 0; i < log.Count(); ++i)
            if (log.Row(i).cause == cause)
                rows << (log.Row(i).direction == TrafficRow::Sent
                             ? QStringLiteral("sent")
                             : QStringLiteral("verdict %1")
                                   .arg(static_cast<int>(log.Row(i).verdict)));
        return rows;
    }

    // The rows as "address model settings heard-at flag" lines.
    QStringList Found() const {
        QStringList lines;
        for (const ScanRow& row : window.Rows().Rows()) {
            const QStringList cells = ScanRows::Cells(row);
            lines << QStringLiteral("%1 %2 %3 at %4%5")
                             .arg(cells[0], cells[1], cells[2], cells[3],
                                  row.Mismatch() ? " FLAGGED" : "") +
                         (row.slow ? " SLOW" : "");
        }
        return lines;
    }

    static int SentCount() {
        int sent = 0;
        const TrafficLog& log = TrafficLog::Instance();
        for (int i = 0; i < log.Count(); ++i) sent += log.Row(i).direction == TrafficRow::Sent;
        return sent;
    }

    ScratchSys sys;
    RecordingPlatform platform;
    SimProcess simulator;
    ScanFrm window;
};
}  // namespace

TEST_F(ScanSimTest, TwentyModulesAtMixedSettingsAreFoundExactly) {
    // Twenty modules on addresses 1..24, at three settings, with one short code and one module
    // talking at other settings than its code names.
    QStringList args{"--bus", "sys/COM1"};
    const QStringList modules{"ZN210,addr=1",
                              "ZN220,addr=2",
                              "ZN230,addr=3",
                              "ZN240,addr=4,code=2",
                              "ZN250,addr=5",
                              "ZN260,addr=6,baud=19200,parity=E",
                              "ZN270,addr=7",
                              "ZN310,addr=8,code=125,at=9600N",
                              "ZN320,addr=9",
                              "ZN330,addr=10",
                              "ZN340,addr=12,baud=4800",
                              "ZN350,addr=13",
                              "ZN410,addr=14",
                              "ZN420,addr=15,baud=19200,parity=E",
                              "ZN430,addr=16",
                              "ZN210,addr=18",
                              "ZN220,addr=19",
                              "ZN230,addr=20",
                              "ZN240,addr=22",
                              "ZN260,addr=24"};
    for (const QString& m : modules) args << "--module" << m;
    ASSERT_TRUE(simulator.Start(args)) << simulator.Output().toStdString();
    Switches().FullSerialLists = 0;  // the eight short-list candidates
    Open();
    window.Scan_From->setValue(1);
    window.Scan_To->setValue(25);
    window.Scan_Wait->setValue(100);  // room for a busy machine
    window.Scan_AllSettings->setChecked(true);
    window.Command_Scan_Click();
    ASSERT_TRUE(window.Scanning());
    ASSERT_TRUE(RunUntil([this] { return !window.Scanning(); }, 110000));

    EXPECT_EQ(Found(), QStringList({
                           "1 ZN210 9600,N,8,1 (103) at 9600,N,8,1",
                           "2 ZN220 9600,N,8,1 (103) at 9600,N,8,1",
                           "3 ZN230 9600,N,8,1 (103) at 9600,N,8,1",
                           "4 ZN240 9600,N,8,1 (2) at 9600,N,8,1",
                           "5 ZN250 9600,N,8,1 (103) at 9600,N,8,1",
                           "6 ZN260 19200,E,8,1 (125) at 19200,E,8,1",
                           "7 ZN270 9600,N,8,1 (103) at 9600,N,8,1",
                           "8 ZN310 19200,E,8,1 (125) at 9600,N,8,1 FLAGGED",
                           "9 ZN320 9600,N,8,1 (103) at 9600,N,8,1",
                           "10 ZN330 9600,N,8,1 (103) at 9600,N,8,1",
                           "12 ZN340 4800,N,8,1 (102) at 4800,N,8,1",
                           "13 ZN350 9600,N,8,1 (103) at 9600,N,8,1",
                           "14 ZN410 9600,N,8,1 (103) at 9600,N,8,1",
                           "15 ZN420 19200,E,8,1 (125) at 19200,E,8,1",
                           "16 ZN430 9600,N,8,1 (103) at 9600,N,8,1",
                           "18 ZN210 9600,N,8,1 (103) at 9600,N,8,1",
                           "19 ZN220 9600,N,8,1 (103) at 9600,N,8,1",
                           "20 ZN230 9600,N,8,1 (103) at 9600,N,8,1",
                           "22 ZN240 9600,N,8,1 (103) at 9600,N,8,1",
                           "24 ZN260 9600,N,8,1 (103) at 9600,N,8,1",
                       }));
    EXPECT_EQ(window.Label_Progress->text().left(19), "20 modules found in");
    // Each probe went through the one exchange path, with its cause.
    const QString accepted = QStringLiteral("verdict %1").arg(int(TrafficVerdict::Accepted));
    const QString none = QStringLiteral("verdict %1").arg(int(TrafficVerdict::NoReply));
    EXPECT_EQ(Logged("scan address 8, 9600,N,8,1"), QStringList({"sent", accepted}));
    EXPECT_EQ(Logged("scan address 11, 9600,N,8,1"), QStringList({"sent", none}));
    EXPECT_EQ(Logged("scan address 1, 38400,N,8,1"), QStringList());  // nobody there: skipped
    EXPECT_EQ(Logged("scan address 0, 38400,N,8,1"), QStringList({"sent", none}));
    // The panel is back at the user's settings, open.
    EXPECT_EQ(window.Panel()->Combo2->currentText(), "9600");
    EXPECT_EQ(window.Panel()->Combo3->currentText(), "None");
    EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();

    // Saved as CSV, row for row.
    ASSERT_TRUE(window.SaveCsv("scan.csv"));
    const QStringList csv = QString::fromUtf8(sys.ReadFile("../scan.csv")).split("\r\n");
    ASSERT_EQ(csv.size(), 22);  // header, twenty rows, the empty end
    EXPECT_EQ(csv[0], "Address,Model,Settings (code),Answered at,Response ms,Note");
    EXPECT_TRUE(csv[8].startsWith("8,ZN310,\"19200,E,8,1 (125)\",\"9600,N,8,1\","))
        << csv[8].toStdString();
    EXPECT_TRUE(csv[8].endsWith(",answers at other settings than its code says"))
        << csv[8].toStdString();
}

TEST_F(ScanSimTest, TheModulesFoundAreSavedAsALineFile) {
    ASSERT_TRUE(simulator.Start(
        {"--bus", "sys/COM1", "--module", "ZN210,addr=2", "--module", "ZN330,addr=4"}))
        << simulator.Output().toStdString();
    // The port chosen as the list describes a discovered device: the file names the device.
    window.OpenWindow();
    window.Panel()->Combo1->setEditText(QStringLiteral("COM1 — USB-SERIAL CH340 (wch.cn)"));
    window.Command_Port_Click();
    ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    EXPECT_FALSE(window.Command_SaveLines->isEnabled());  // nothing found yet
    window.Scan_From->setValue(1);
    window.Scan_To->setValue(5);
    window.Scan_Wait->setValue(100);
    window.Command_Scan_Click();
    ASSERT_TRUE(RunUntil([this] { return !window.Scanning(); }, 30000));
    ASSERT_TRUE(window.Command_SaveLines->isEnabled());

    // A name typed without its extension gets ".json".
    SetCsvDialogAnswer([this](QFileDialog& dialog) {
        dialog.setDirectory(sys.Path());
        dialog.selectFile(QStringLiteral("lines"));
        static_cast<QDialog&>(dialog).accept();
        return dialog.result();
    });
    window.Command_SaveLines->click();
    SetCsvDialogAnswer(nullptr);
    const QString path = sys.Path() + "/lines.json";
    EXPECT_EQ(window.Label_Progress->text(), "Saved to " + path);
    QString error;
    const auto file = LineFile::Load(path, true, &error);
    ASSERT_TRUE(file) << error.toStdString();
    ASSERT_EQ(file->lines.size(), 1u);
    const LineOfModules& line = file->lines[0];
    EXPECT_EQ(line.port, "COM1");
    EXPECT_EQ(line.name, "COM1 9600 N");
    EXPECT_EQ(line.settings, (SerialCandidate{9600, 'N'}));
    EXPECT_EQ(line.waitMs, 100);  // the scan's own wait
    ASSERT_EQ(line.modules.size(), 2u);
    EXPECT_EQ(line.modules[0].model + line.modules[1].model, "ZN210ZN330");
}

TEST_F(ScanSimTest, TheWholeAddressRangeAtThePanelsSettings) {
    ASSERT_TRUE(simulator.Start({"--many", "sys/COM1"})) << simulator.Output().toStdString();
    Open();
    window.Scan_Wait->setValue(100);
    window.Command_Scan_Click();
    ASSERT_TRUE(RunUntil([this] { return !window.Scanning(); }, 110000));
    // The seventeen that talk at 9600 N; those at 19200 E and 4800 N keep quiet.
    EXPECT_EQ(Found(), QStringList({
                           "1 ZN210 9600,N,8,1 (103) at 9600,N,8,1",
                           "2 ZN220 9600,N,8,1 (103) at 9600,N,8,1",
                           "3 ZN230 9600,N,8,1 (103) at 9600,N,8,1",
                           "7 ZN240 9600,N,8,1 (2) at 9600,N,8,1",
                           "10 ZN260 9600,N,8,1 (103) at 9600,N,8,1",
                           "15 ZN270 9600,N,8,1 (103) at 9600,N,8,1",
                           "21 ZN320 9600,N,8,1 (103) at 9600,N,8,1",
                           "30 ZN340 9600,N,8,1 (103) at 9600,N,8,1",
                           "42 ZN310 19200,E,8,1 (125) at 9600,N,8,1 FLAGGED",
                           "55 ZN350 9600,N,8,1 (103) at 9600,N,8,1",
                           "77 ZN410 9600,N,8,1 (103) at 9600,N,8,1",
                           "90 ZN430 9600,N,8,1 (103) at 9600,N,8,1",
                           "100 ZN210 9600,N,8,1 (103) at 9600,N,8,1",
                           "128 ZN220 9600,N,8,1 (2) at 9600,N,8,1",
                           "175 ZN260 9600,N,8,1 (103) at 9600,N,8,1",
                           "231 ZN230 9600,N,8,1 (103) at 9600,N,8,1",
                           "247 ZN410 9600,N,8,1 (103) at 9600,N,8,1",
                       }));
}

TEST_F(ScanSimTest, RefusalsStopAndCloseKeepWhatWasFoundAndTheUsersSettings) {
    ASSERT_TRUE(simulator.Start({"--many", "sys/COM1"})) << simulator.Output().toStdString();
    window.OpenWindow();
    window.Command_Scan_Click();  // the port is closed
    window.Scan_From->setValue(9);
    window.Scan_To->setValue(8);
    window.Command_Port_Click();
    window.Command_Scan_Click();  // a range that ends before it starts
    EXPECT_EQ(platform.messages, QStringList({"Please open serial port！", "Setting error！"}));
    EXPECT_FALSE(window.Scanning());
    EXPECT_EQ(window.Panel()->Text_Send->text(), "");

    // Stop keeps the rows found so far.
    window.Scan_From->setValue(1);
    window.Scan_To->setValue(247);
    window.Scan_Wait->setValue(100);
    window.Command_Scan_Click();
    ASSERT_TRUE(RunUntil([this] { return window.Rows().Rows().size() >= 2; }, 30000));
    window.Command_Scan_Click();
    EXPECT_FALSE(window.Scanning());
    const int kept = static_cast<int>(window.Rows().Rows().size());
    EXPECT_GE(kept, 2);
    EXPECT_EQ(window.Label_Progress->text(), QString("Stopped: %1 modules found").arg(kept));
    EXPECT_EQ(window.Command_Scan->text(), "Scan");
    EXPECT_TRUE(window.Scan_From->isEnabled());

    // Closed in the middle of an all-settings scan: the user's settings are kept, not a
    // candidate's, and the window opens again ready to scan.
    window.Scan_AllSettings->setChecked(true);
    window.Command_Scan_Click();
    ASSERT_TRUE(
        RunUntil([this] { return window.Panel()->Combo2->currentText() != "9600"; }, 30000));
    window.close();
    EXPECT_EQ(sys.ReadFile("set.rc"), "1\r\n9600\r\nNone\r\n");
    window.OpenWindow();
    EXPECT_FALSE(window.Scanning());
    EXPECT_TRUE(window.Scan_From->isEnabled());
    EXPECT_EQ(window.Command_Scan->text(), "Scan");
    EXPECT_EQ(platform.messages.size(), 2);
}

TEST_F(ScanSimTest, ABenchOfFiveModulesIsCommissionedWithReadBack) {
    // One refuses the change, one takes it 800 ms late; the rest take it at once.
    ASSERT_TRUE(
        simulator.Start({"--bench", "sys/COM1", "--hold", "1500", "--pause", "2500", "--gap",
                         "1000", "--module", "ZN210", "--module", "ZN220,writes=refuse", "--module",
                         "ZN230,take=800", "--module", "ZN260,addr=3", "--module", "ZN310"}))
        << simulator.Output().toStdString();
    Open();
    window.Batch_First->setValue(10);
    window.Batch_Step->setValue(1);
    window.Batch_GiveSettings->setChecked(true);
    window.Batch_Settings->setCurrentText("19200,Even,8,1");
    window.Batch_LogPath->setText("log.csv");
    window.Command_Batch_Click();
    ASSERT_TRUE(window.Batching());
    ASSERT_TRUE(RunUntil(
        [this] {
            return window.Session()->Verified() == 4 &&
                   window.Session()->CurrentPhase() == BatchSession::Phase::Finding;
        },
        100000))
        << window.Batch_State->text().toStdString() << "\n"
        << window.Batch_Counter->text().toStdString() << "\n"
        << sys.ReadFile("../log.csv").toStdString() << "\n"
        << simulator.Output().toStdString();
    EXPECT_EQ(window.Session()->NextAddress(), 14);
    window.Command_Batch_Click();
    EXPECT_FALSE(window.Batching());
    EXPECT_EQ(platform.beeps, 4);
    // The address writes to the four found at address 1 and the one at 3, request and reply each.
    EXPECT_EQ(Logged("batch: write to address 1, 9600,N,8,1").size(), 2 * 4);
    EXPECT_EQ(Logged("batch: write to address 3, 9600,N,8,1").size(), 2);
    EXPECT_FALSE(Logged("batch: read back address 13, 19200,E,8,1").isEmpty());
    EXPECT_FALSE(Logged("batch: looking for a module, 9600,N,8,1").isEmpty());

    QStringList log = QString::fromUtf8(sys.ReadFile("../log.csv")).split("\r\n");
    ASSERT_EQ(log.size(), 7) << log.join("|").toStdString();
    EXPECT_EQ(log[0],
              "Time,Model,Old address,Old settings,New address,New settings,Verified,Reason");
    QStringList rows;
    for (int i = 1; i < 6; ++i) rows << log[i].mid(20);  // after the time stamp
    EXPECT_EQ(rows, QStringList({
                        "ZN210,1,\"9600,N,8,1\",10,\"19200,E,8,1\",yes,",
                        "ZN220,1,\"9600,N,8,1\",11,\"19200,E,8,1\",no,the module refused the "
                        "write (exception 04)",
                        "ZN230,1,\"9600,N,8,1\",11,\"19200,E,8,1\",yes,",
                        "ZN260,3,\"9600,N,8,1\",12,\"19200,E,8,1\",yes,",
                        "ZN310,1,\"9600,N,8,1\",13,\"19200,E,8,1\",yes,",
                    }));
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
}

namespace {
// A module's reply to the scan's read of registers 100..102: address, code 103, its model.
QByteArray ScanReply(int address, int model) {
    return HexBytes(SentTextOf(Frame{
                        static_cast<uint8_t>(address), 0x03, 6, 0, static_cast<uint8_t>(address), 0,
                        103, static_cast<uint8_t>(model >> 8), static_cast<uint8_t>(model & 0xFF)}),
                    true);
}
}  // namespace

TEST_F(ScanSimTest, ALateAnswerFlagsItsModuleAndListsNoAddressWhereNothingAnswered) {
    // Addresses 1..3 at the default wait; what the line gives back to each probe, in one burst.
    const struct {
        const char* what;
        QByteArray answers[3];
        QStringList found;
    } cases[] = {
        {"alone, while the next address is probed",
         {"", ScanReply(1, 210), ""},
         {"1 ZN210 9600,N,8,1 (103) at 9600,N,8,1 SLOW"}},
        {"glued before the next module's own",
         {"", ScanReply(1, 210) + ScanReply(2, 220), ""},
         {"1 ZN210 9600,N,8,1 (103) at 9600,N,8,1 SLOW", "2 ZN220 9600,N,8,1 (103) at 9600,N,8,1"}},
        {"glued after the next module's own",
         {"", ScanReply(2, 220) + ScanReply(1, 210), ""},
         {"1 ZN210 9600,N,8,1 (103) at 9600,N,8,1 SLOW", "2 ZN220 9600,N,8,1 (103) at 9600,N,8,1"}},
        {"two probes later",
         {"", "", ScanReply(1, 210)},
         {"1 ZN210 9600,N,8,1 (103) at 9600,N,8,1 SLOW"}},
    };
    PtyPeer peer("sys/COM1");
    Open();
    window.Scan_From->setValue(1);
    window.Scan_To->setValue(3);
    window.Scan_Wait->setValue(0);  // the default wait
    for (const auto& c : cases) {
        TrafficLog::Instance().Clear();
        window.Command_Scan_Click();
        for (int address = 1; address <= 3; ++address) {
            // The scan cannot judge while the peer answers: the answer is there when it looks.
            EXPECT_EQ(
                SpacedHex(peer.ReadRequest()),
                SentTextOf(AppendCrc16(ReadRequest(static_cast<uint8_t>(address), 3, 100, 3))))
                << c.what;
            if (!c.answers[address - 1].isEmpty()) peer.Write(c.answers[address - 1]);
            ASSERT_TRUE(
                RunUntil([&] { return SentCount() > address || !window.Scanning(); }, 30000))
                << c.what;
        }
        EXPECT_FALSE(window.Scanning()) << c.what;
        EXPECT_EQ(Found(), c.found) << c.what;
    }
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
}

TEST_F(ScanSimTest, NoModuleIsCommissionedWithoutItsLogRecord) {
    ASSERT_TRUE(simulator.Start({"--bench", "sys/COM1", "--hold", "300", "--gap", "300", "--module",
                                 "ZN210", "--module", "ZN220", "--module", "ZN230"}))
        << simulator.Output().toStdString();
    const struct {
        const char* what;
        QString logPath;
        int dropFolderAfter;  // modules verified before the log's folder goes; -1: never there
        QString message;
        int modulesDone;  // rows in the window's table when it stops
        CsvRotation rotation = CsvRotation::Never();
    } cases[] = {
        {"a folder that does not exist", "missing/log.csv", -1,
         "Not started: the log file missing/log.csv cannot be opened", 0},
        {"a folder that goes while it runs", "logs/log.csv", 1,
         "Log file logs/log.csv cannot be written", 2},
        // The message names the dated file the log had come to.
        {"a folder that goes while a log rotating at midnight runs", "logs/log.csv", 1,
         "Log file logs/log_20", 2, CsvRotation::AtMidnight()},
    };
    Open();
    window.Batch_First->setValue(10);
    for (const auto& c : cases) {
        platform.messages.clear();
        TrafficLog::Instance().Clear();
        if (c.dropFolderAfter >= 0) ASSERT_TRUE(QDir().mkpath("logs"));
        window.Batch_Table->setRowCount(0);
        window.Batch_LogPath->setText(c.logPath);
        window.Batch_Rotate->SetRotation(c.rotation);
        window.Command_Batch_Click();
        if (c.dropFolderAfter < 0) {
            EXPECT_EQ(SentCount(), 0) << c.what;  // refused before any frame
        } else {
            ASSERT_TRUE(window.Batching()) << c.what;
            ASSERT_TRUE(RunUntil(
                [&] {
                    return !window.Batching() || window.Session()->Verified() == c.dropFolderAfter;
                },
                60000))
                << c.what;
            ASSERT_TRUE(QDir("logs").removeRecursively());
            ASSERT_TRUE(RunUntil([&] { return !window.Batching(); }, 60000)) << c.what;
        }
        EXPECT_FALSE(window.Batching()) << c.what;
        ASSERT_EQ(platform.messages.size(), 1) << c.what;
        EXPECT_TRUE(platform.messages[0].startsWith(c.message))
            << platform.messages[0].toStdString();
        EXPECT_EQ(window.Batch_Table->rowCount(), c.modulesDone) << c.what;
        EXPECT_EQ(window.Command_Batch->text(), "Start") << c.what;
    }
}
