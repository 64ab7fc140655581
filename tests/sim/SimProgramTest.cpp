// The znsim program itself: its command line, its links, its log, and the program's serial layer
// talking to it through open, close and re-open.
#include <gtest/gtest.h>

#include <signal.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/ProbeWindow.h"
#include "tests/support/SimProcess.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"

TEST(SimProgram, BadArgumentsExitWithTheReasonAndTheUsage) {
    const ToolRun unknown = RunTool(ZNSIM_PATH, {"--bus", "x", "--module", "ZN999"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.output.contains("znsim: unknown model 'ZN999'"));
    EXPECT_TRUE(unknown.output.contains("Usage: znsim"));
    EXPECT_EQ(RunTool(ZNSIM_PATH, {}).exitCode, 2);
    const ToolRun help = RunTool(ZNSIM_PATH, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.contains("--demo DIR"));
    EXPECT_TRUE(help.output.contains("--die-with-parent"));

    QTemporaryDir dir;
    const QString occupied = dir.path() + "/COM1";
    QFile file(occupied);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("mine");
    file.close();
    const ToolRun refused = RunTool(ZNSIM_PATH, {"--bus", occupied, "--module", "ZN210"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.output.contains("exists and is not a link"))
        << refused.output.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "mine");
}

TEST(SimProgram, DemoLinksFifteenPortsAndRemovesThemWhenStopped) {
    for (int signal : {15, 2}) {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/run/sys";  // made when missing
        SimProcess sim;
        ASSERT_TRUE(sim.Start({"--demo", folder})) << sim.Output().toStdString();
        for (int n = 1; n <= 15; ++n) {
            const QFileInfo link(folder + QString("/COM%1").arg(n));
            EXPECT_TRUE(link.isSymLink()) << n;
            EXPECT_TRUE(link.symLinkTarget().startsWith("/dev/pts/")) << n;
        }
        EXPECT_TRUE(sim.Output().contains(folder + "/COM15 -> /dev/pts/"));
        EXPECT_TRUE(sim.Output().contains("ZN430 addr 1 9600,N (code 103)"));
        EXPECT_EQ(sim.Stop(signal), 0);
        EXPECT_TRUE(QDir(folder).entryList(QDir::System | QDir::Files).isEmpty()) << signal;
    }
}

// A parent that dies without a word (killed outright, as a crashed tool or a killed run script)
// must not leave the simulator behind holding the port links.
TEST(SimProgram, EndsAndRemovesItsLinksWhenItsParentIsKilled) {
    for (int signal : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(signal);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString link = dir.filePath("COM1"), log = dir.filePath("znsim.log");
        // The parent: a shell that starts znsim, says its pid and waits for it.
        QProcess parent;
        const char* script = R"("$0" --die-with-parent --bus "$1" --module ZN210 >"$2" 2>&1 &
                                echo $!; wait)";
        parent.start("/bin/sh", {"-c", script, ZNSIM_PATH, link, log});
        ASSERT_TRUE(parent.waitForStarted());
        pid_t sim = 0;
        while (sim == 0 && parent.waitForReadyRead(30000))
            sim = parent.readLine().trimmed().toInt();
        ASSERT_GT(sim, 0) << "the parent did not start znsim";
        // Should the simulator stay, it is not left running after the test.
        auto leftover = qScopeGuard([sim] { ::kill(sim, SIGKILL); });
        const auto logSays = [&](const char* text, int timeoutMs) {
            QDeadlineTimer deadline(timeoutMs);
            for (;;) {
                QFile file(log);
                if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) return true;
                if (deadline.hasExpired()) return false;
                QThread::msleep(10);
            }
        };
        ASSERT_TRUE(logSays("znsim: ready", 30000));
        ASSERT_TRUE(QFileInfo(link).isSymLink());
        ::kill(pid_t(parent.processId()), signal);
        ASSERT_TRUE(parent.waitForFinished());
        const bool stopped = logSays("znsim: stopped, links removed", 30000);
        if (stopped) leftover.dismiss();
        EXPECT_TRUE(stopped) << "znsim outlived its parent";
        EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
    }
}

namespace {
class SimWithProgram : public ProbeWindowTest {
  protected:
    void Start(const QStringList& modules) {
        QStringList args = {"--verbose", "--bus", sys.Path() + "/sys/COM1"};
        for (const QString& m : modules) args << "--module" << m;
        ASSERT_TRUE(sim.Start(args)) << sim.Output().toStdString();
    }
    void OpenPort(const QString& baud, const QString& parity = "None") {
        window.Panel()->Combo2->setEditText(baud);
        window.Panel()->Combo3->setEditText(parity);
        if (window.Panel()->Command_Port->text() == "Port Close") window.Command_Port_Click();
        window.Command_Port_Click();
        ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    }

    SimProcess sim;
};
}  // namespace

TEST_F(SimWithProgram, PollsThroughOpenCloseAndReopenAndTheLogShowsEachExchange) {
    Start({"ZN210"});
    for (int round = 0; round < 3; ++round) {
        OpenPort("9600");
        ASSERT_TRUE(window.Poll()) << "round " << round;
        ASSERT_EQ(window.registers.size(), 4u);
        for (int raw : window.registers) {
            EXPECT_GT(raw / 10.0 - 55, 10);  // room temperatures
            EXPECT_LT(raw / 10.0 - 55, 40);
        }
        window.ReopenPort();
        EXPECT_TRUE(window.Poll());
        window.Command_Port_Click();  // closed: the simulator sees the line hang up
        QThread::msleep(50);
    }
    const QString log = sim.Output();
    static const QRegularExpression request(
        "^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\S+/sys/COM1 <- 01 03 00 00 00 04 44 09$",
        QRegularExpression::MultilineOption);
    static const QRegularExpression reply(
        "^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\S+/sys/COM1 -> 01 03 08( [0-9A-F]{2}){10}$",
        QRegularExpression::MultilineOption);
    EXPECT_EQ(log.count(request), 6) << log.toStdString();
    EXPECT_EQ(log.count(reply), 6);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(SimWithProgram, TheProgramMustMatchTheModulesLineSettings) {
    Start({"ZN260,baud=19200,parity=O"});
    OpenPort("9600");
    EXPECT_FALSE(window.Poll());
    OpenPort("19200");
    EXPECT_FALSE(window.Poll());
    OpenPort("19200", "Odd");
    EXPECT_TRUE(window.Poll());
    EXPECT_TRUE(sim.Output().contains("ZN260@1 hears noise: line 9600, module 19200,O"));
    EXPECT_TRUE(sim.Output().contains("ZN260@1 hears noise: line 19200, module 19200,O"));

    // The parameter window's change: answered at the old line, heard at the new one after.
    EXPECT_TRUE(window.Exchange(WriteRegisterRequest(1, 101, 2), 8));  // 9600, no parity
    EXPECT_FALSE(window.Poll());
    OpenPort("9600");
    EXPECT_TRUE(window.Poll());
}

TEST_F(SimWithProgram, FaultsAndCollisionsReachTheProgramAsOnARealLine) {
    Start({"ZN210,addr=1", "ZN330,addr=2,fault=badcrc:every=2", "ZN220,addr=3,fault=late:ms=400"});
    OpenPort("9600");
    // Address 2: every second reply has a broken CRC, which the program rejects.
    EXPECT_TRUE(window.Exchange(ReadRequest(2, 0x02, 0, 16), 7));
    EXPECT_FALSE(window.Exchange(ReadRequest(2, 0x02, 0, 16), 7));
    EXPECT_EQ(window.ReceivedText.size(), 21);
    EXPECT_TRUE(window.Exchange(ReadRequest(2, 0x02, 0, 16), 7));
    // Address 3 answers too late for the read; the re-open drops the reply when it comes.
    EXPECT_FALSE(window.Exchange(ReadRequest(3, 0x03, 0, 8), 21));
    EXPECT_EQ(window.ReceivedText, "");
    QThread::msleep(700);  // the late reply lands (at about 424 ms) before the re-open
    window.ReopenPort();
    EXPECT_TRUE(window.Exchange(ReadRequest(1, 0x03, 100, 3), 11));
    // A broadcast read with more than one module on the line: the replies on time collide.
    EXPECT_FALSE(window.Exchange(ReadRequest(0, 0x03, 100, 3), 11));
    EXPECT_TRUE(sim.Output().contains("2 modules answer at once: collision"));
    EXPECT_NE(window.ReceivedText, "");
}
