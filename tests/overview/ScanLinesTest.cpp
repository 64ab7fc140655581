// A bus scan's modules as a line file: one line per line settings, only modules a line can poll,
// the same lines from the scan's saved CSV in either language; and the file of a real scan of a
// simulated line loaded and every module in it polled.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/Line.h"
#include "core/overview/ModulePoller.h"
#include "core/overview/ScanLines.h"
#include "core/scan/BusScan.h"
#include "core/traffic/TrafficLog.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/SimProcess.h"

namespace {
ScanRow Row(int address, int modelCode, SerialCandidate heardAt, bool readable = true,
            int responseMs = 12, bool slow = false) {
    ScanRow row;
    row.address = address;
    row.heardAt = heardAt;
    row.readable = readable;
    row.registers = {address, 103, modelCode};
    row.problem = readable ? QString() : QStringLiteral("bad CRC");
    row.responseMs = responseMs;
    row.slow = slow;
    return row;
}

// A line as "name|port|baud parity|wait|enabled|address model, ...".
QString Shown(const LineOfModules& line) {
    QStringList modules;
    for (const LineModule& m : line.modules)
        modules << QString("%1 %2").arg(m.address).arg(m.model);
    return QString("%1|%2|%3 %4|%5|%6|%7")
        .arg(line.name, line.port)
        .arg(line.settings.baud)
        .arg(QChar(line.settings.parity))
        .arg(line.waitMs)
        .arg(line.enabled ? "on" : "off", modules.join(", "));
}

QStringList Shown(const std::vector<LineOfModules>& lines) {
    QStringList shown;
    for (const LineOfModules& line : lines) shown << Shown(line);
    return shown;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ScanLinesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Switches() = StartupSwitches{};
        Switches().EnglishUi = 1;
        TextTable::Fill(true);
        ASSERT_TRUE(dir_.isValid());
    }
    QTemporaryDir dir_;
};

TEST_F(ScanLinesTest, OneLinePerSettingsOfTheModulesALineCanPoll) {
    const SerialCandidate n9600{9600, 'N'}, e19200{19200, 'E'}, n4800{4800, 'N'};
    const int wait9600 = LineFile::DefaultWaitMs(n9600);
    const int wait19200 = LineFile::DefaultWaitMs(e19200);
    struct Case {
        const char* what;
        std::vector<ScanRow> rows;
        QStringList lines;
    };
    const Case cases[] = {
        {"nothing found", {}, {}},
        {"nothing a line can poll", {Row(3, 210, n9600, false), Row(4, 999, n9600)}, {}},
        {"two settings: the most modules' line first and the only one enabled",
         {Row(1, 330, e19200), Row(2, 210, n9600), Row(3, 210, n9600, false), Row(5, 999, n9600),
          Row(7, 410, n9600), Row(9, 260, e19200, true, 10, false), Row(12, 230, n9600)},
         {QString("COM16 9600 N|COM16|9600 N|%1|on|2 ZN210, 7 ZN410, 12 ZN230").arg(wait9600),
          QString("COM16 19200 E|COM16|19200 E|%1|off|1 ZN330, 9 ZN260").arg(wait19200)}},
        {"as many at each: in the search's order, slowest first; a slow module's line waits for it",
         {Row(4, 240, n9600), Row(6, 250, n4800, true, 180, true)},
         {QString("COM16 4800 N|COM16|4800 N|200|on|6 ZN250"),
          QString("COM16 9600 N|COM16|9600 N|%1|off|4 ZN240").arg(wait9600)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LineFile file = LineFileOfScan("COM16", c.rows);
        EXPECT_EQ(Shown(file.lines), c.lines);
        if (c.lines.isEmpty()) continue;
        // The file loads with its lines as made, the port's other lines left unpolled.
        const QString path = dir_.filePath("scan.json");
        QString error;
        ASSERT_TRUE(file.Save(path, &error)) << error.toStdString();
        const auto loaded = LineFile::Load(path, true, &error);
        ASSERT_TRUE(loaded) << error.toStdString();
        EXPECT_EQ(Shown(loaded->lines), c.lines);

        // The scan's CSV, saved in either language, gives the same lines.
        ScanRows rows;
        for (const ScanRow& row : c.rows) rows.Add(row);
        for (const int english : {1, 0}) {
            Switches().EnglishUi = english;
            Write(path, rows.Csv().toUtf8());
            Switches().EnglishUi = 1;
            const auto lines = LinesOfScanCsv(path, "COM16", true, &error);
            ASSERT_TRUE(lines) << error.toStdString();
            EXPECT_EQ(Shown(*lines), c.lines) << english;
        }
    }

    // Two lines polled at once on one port are still refused.
    LineFile both = LineFileOfScan("COM16", cases[2].rows);
    both.lines[1].enabled = true;
    QString error;
    EXPECT_FALSE(LineFile::Parse(both.ToJson(), "f.json", true, &error));
    EXPECT_EQ(error, R"(f.json, line "COM16 19200 E": port COM16 is also the port of line )"
                     R"(COM16 9600 N)");
}

TEST_F(ScanLinesTest, RefusesAFileThatIsNoScanCsvNamingIt) {
    const QString path = dir_.filePath("other.csv");
    struct Case {
        QByteArray bytes;  // empty: no file
        QString english;
        QString chinese;
    };
    const Case cases[] = {
        {"", path + ": ", path + "："},
        {"\xEF\xBB\xBF", path + ": not a bus scan CSV (its first row is not the scan's header)",
         path + "：不是总线扫描的 CSV 文件（首行不是扫描的表头）"},
        {"Time,Direction,Frame\r\n12:00:01,sent,01 03\r\n",
         path + ": not a bus scan CSV (its first row is not the scan's header)",
         path + "：不是总线扫描的 CSV 文件（首行不是扫描的表头）"},
        {"Address,Model,Settings (code),Answered at,Response ms,Note\r\n"
         "2,ZN210,\"9600,N,8,1 (103)\",\"9600,N,8,1\",12,\r\n"
         "x,ZN210,\"9600,N,8,1 (103)\",\"9600,N,8,1\",12,\r\n",
         path + ", row 3: not a row of a bus scan", path + "，第 3 行：不是总线扫描的行"},
        {"地址,型号,参数（代码）,应答参数,响应 ms,备注\r\n"
         "2,ZN210,\"9600,N,8,1 (103)\",\"9600,M,8,1\",12,\r\n",
         path + ", row 2: not a row of a bus scan", path + "，第 2 行：不是总线扫描的行"},
        {"Address,Model,Settings (code),Answered at,Response ms,Note\r\n2,ZN210\r\n",
         path + ", row 2: not a row of a bus scan", path + "，第 2 行：不是总线扫描的行"},
    };
    for (const Case& c : cases) {
        QFile::remove(path);
        if (!c.bytes.isEmpty()) Write(path, c.bytes);
        for (const bool english : {true, false}) {
            QString error;
            EXPECT_FALSE(LinesOfScanCsv(path, "COM16", english, &error)) << c.bytes.data();
            const QString& expected = english ? c.english : c.chinese;
            if (c.bytes.isEmpty()) {
                EXPECT_TRUE(error.startsWith(expected)) << error.toStdString();
            } else {
                EXPECT_EQ(error, expected);
            }
        }
    }
}

TEST_F(ScanLinesTest, TheScansLineFileLoadedAndEveryModulePolled) {
    // Odd parity: a pseudo-terminal carries it, where even parity reads as none.
    const QString bus = dir_.filePath("COM1");
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--freeze", "12.5", "--bus", bus, "--module", "ZN210,addr=3", "--module",
                           "ZN330,addr=7", "--module",
                           "ZN410,addr=9,baud=19200,"
                           "parity=O",
                           "--module", "ZN230,addr=10"}))
        << sim.Output().toStdString();
    ScanPlan plan(1, 10, {{9600, 'N'}, {19200, 'O'}}, 100);  // room for a busy machine
    ScanRows rows;
    {
        Line scanned;
        ASSERT_TRUE(BusScan::Run(scanned, bus, plan, rows));
    }
    const QString path = dir_.filePath("line.json");
    QString error;
    ASSERT_TRUE(LineFileOfScan(bus, rows.Rows()).Save(path, &error)) << error.toStdString();
    const auto file = LineFile::Load(path, true, &error);
    ASSERT_TRUE(file) << error.toStdString();

    QStringList polled;
    for (const LineOfModules& line : file->lines) {
        Line port;
        ASSERT_TRUE(port.Open(
            line.port,
            QString("%1,%2,8,1").arg(line.settings.baud).arg(QChar(line.settings.parity))));
        TrafficLog log;
        Exchange exchange(port, log);
        for (const LineModule& module : line.modules) {
            ModulePoller poller(module, 1000);  // what a loaded machine needs
            const ModulePoll poll = poller.Poll(exchange);
            EXPECT_EQ(poll.outcome, ModulePoll::Answered) << module.address;
            EXPECT_EQ(poll.modelRead, module.model);
            polled << QString("%1 %2 %3")
                          .arg(module.address)
                          .arg(module.model)
                          .arg(line.enabled ? "on" : "off");
        }
    }
    EXPECT_EQ(polled, QStringList({"3 ZN210 on", "7 ZN330 on", "10 ZN230 on", "9 ZN410 off"}));
}
}  // namespace
