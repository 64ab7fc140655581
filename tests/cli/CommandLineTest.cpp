// The command line against the simulator over pseudo-terminals: exact output in each format,
// refused usage, and a line that fails.
#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <functional>
#include <memory>

#include "cli/CliOptions.h"
#include "cli/CommandLine.h"
#include "core/line/HeldLines.h"
#include "core/line/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/SimProcess.h"

namespace {
struct CliResult {
    int code = -1;
    QString out;
    QString err;
};

CliResult RunCli(const QStringList& args) {
    CliResult result;
    QTextStream out(&result.out), err(&result.err);
    result.code = CommandLine::Run(args, out, err);
    out.flush();
    err.flush();
    return result;
}

// `expected` with {ms} for a response time, {time} for a local time stamp, {stamp} for one
// to the second and {clock} for a time of day.
bool Matches(const QString& text, const QString& expected) {
    QString pattern = QRegularExpression::escape(expected);
    pattern.replace(QStringLiteral("\\{ms\\}"), QStringLiteral("\\d+"));
    pattern.replace(QStringLiteral("\\{clock\\}"), QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d{3}"));
    pattern.replace(QStringLiteral("\\{stamp\\}"),
                    QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"));
    pattern.replace(QStringLiteral("\\{time\\}"),
                    QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}"));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
}

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath("sys"));
        WriteSet2("0\r\n1\r\n1\r\n");  // the full lists, English
        home_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override {
        SerialPort::ClosePort();
        QDir::setCurrent(home_);
    }
    void WriteSet2(const QByteArray& content) {
        QFile file(dir_.filePath("sys/set2.rc"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    // The simulator on sys/COM1, which "COM1" names.
    void StartSim(const QStringList& modules) {
        QStringList args = {"--freeze", "12.5", "--bus", dir_.filePath("sys/COM1")};
        for (const QString& spec : modules) args << "--module" << spec;
        ASSERT_TRUE(sim_.Start(args)) << sim_.Output().toStdString();
    }

    QTemporaryDir dir_;
    QString home_;
    SimProcess sim_;
};
}  // namespace

TEST_F(CommandLineTest, WrongUsageNamesTheOptionExitsWithTwoAndSendsNothing) {
    PtyPeer peer(dir_.filePath("sys/COM1"));
    const QString hint = "\n%1 --help shows what it takes\n";
    struct Case {
        QStringList args;
        QString message;
    };
    const std::vector<Case> cases = {
        {{"read", "--port", "COM1", "--address", "300", "--register", "0"},
         "--address: '300' is not a whole number from 1 to 247"},
        {{"read", "--port", "COM1", "--address", "0", "--register", "0"},
         "--address: '0' is not a whole number from 1 to 247"},
        {{"read", "--port", "COM1", "--address", "1x", "--register", "0"},
         "--address: '1x' is not a whole number from 1 to 247"},
        {{"read", "--port", "COM1", "--register", "0"}, "--address: required"},
        {{"read", "--port", "COM1", "--address", "1", "--register", "1", "--type", "double"},
         "--type: 'double' is not a register type (int, float or int32)"},
        {{"read", "--port", "COM1", "--address", "1", "--register", "0", "--count", "63", "--type",
          "float"},
         "--count: '63' is not a whole number from 1 to 62"},
        {{"write", "--port", "COM1", "--address", "1", "--register", "5", "--value", "70000"},
         "--value: '70000' is not a whole number from 0 to 65535"},
        {{"write", "--port", "COM1", "--address", "1", "--register", "5"}, "--value: required"},
        {{"scan", "--port", "COM1", "--from", "10", "--to", "5"}, "--from: 10 is above --to: 5"},
        {{"scan", "--port", "COM1", "--to", "248"},
         "--to: '248' is not a whole number from 1 to 247"},
        {{"scan", "--port", "COM1", "--baud", "9601"},
         "--baud: '9601' is not a baud rate the modules take"},
        {{"scan", "--port", "COM1", "--parity", "X"}, "--parity: 'X' is not a parity (N, O or E)"},
        {{"scan", "--port", "COM1", "--format", "xml"},
         "--format: 'xml' is not a format (text, csv or json)"},
        {{"scan", "--port", "COM1", "--address", "3"}, "--address: no such option for 'scan'"},
        {{"scan", "--port", "COM1", "--wait"}, "--wait: a value is missing"},
        {{"scan", "--port", "COM1", "--from", "2", "--from=3"}, "--from: given twice"},
        {{"scan", "--from", "2"}, "--port: required"},
        {{"search", "--port", "COM1", "--lang", "fr"}, "--lang: 'fr' is not a language (zh or en)"},
        {{"set", "--port", "COM1", "--address", "5"},
         "--new-address, --new-baud or --new-parity: nothing to change"},
        {{"set", "--port", "COM1", "--address", "5", "--new-address", "248"},
         "--new-address: '248' is not a whole number from 1 to 247"},
        {{"poll", "--port", "COM1", "--address", "3", "--model", "ZN999"},
         "--model: 'ZN999' is not a model this command polls"},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(c.args);
        EXPECT_EQ(result.code, 2) << c.args.join(' ').toStdString();
        EXPECT_EQ(result.err, "zntool: " + c.message + hint.arg("zntool " + c.args[0]));
        EXPECT_EQ(result.out, "");
    }
    // Help is no usage error, and is in the language of the messages.
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"scan", "--help"}}) {
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.code, 0);
        EXPECT_TRUE(result.out.startsWith("Usage: zntool")) << result.out.toStdString();
        const CliResult chinese = RunCli(args + QStringList{"--lang", "zh"});
        EXPECT_EQ(chinese.code, 0);
        EXPECT_TRUE(chinese.out.startsWith("用法: zntool")) << chinese.out.toStdString();
        EXPECT_FALSE(chinese.out.contains("Options")) << chinese.out.toStdString();
    }
    // Messages in set2.rc's language, or in the one --lang names.
    WriteSet2("0\r\n0\r\n0\r\n");
    const QStringList reversed = {"scan", "--port", "COM1", "--from", "10", "--to", "5"};
    EXPECT_EQ(RunCli(reversed).err,
              "zntool: --from: 10 大于 --to: 5\nzntool scan --help 列出可用的选项\n");
    EXPECT_EQ(RunCli(reversed + QStringList{"--lang", "en"}).err,
              "zntool: --from: 10 is above --to: 5" + hint.arg("zntool scan"));
    // Everything the program wrote has reached the peer by now.
    EXPECT_EQ(SpacedHex(peer.ReadRequest(1)), "");
}

TEST_F(CommandLineTest, EachCommandPrintsExactlyWhatTheWindowsShowInEachFormat) {
    struct Step {
        QStringList args;
        int code;
        QString out;  // {ms}: a response time, {time}: a time stamp
        QString err;
    };
    struct Case {
        QStringList modules;
        std::vector<Step> steps;
    };
    const QString bom = QString(QChar(0xFEFF));
    const QStringList scan = {"scan", "--port", "COM1", "--from", "1", "--to", "6"};
    const QStringList search = {"search", "--port", "COM1"};
    const QString zn260 =
        "AI_1 4.15mA  AI_2 6.09mA  AI_3 8.12mA  AI_4 10.35mA  AI_5 12.77mA  AI_6 15.20mA  "
        "AI_7 17.47mA  AI_8 19.53mA";
    const std::vector<Case> cases = {
        {{"ZN260,addr=5,baud=19200,parity=O"},
         {{search, 0, "Address: 5\nParameters: 19200,Odd,8,1\nModel: ZN260\n", ""},
          {search + QStringList{"--format", "csv"}, 0,
           bom + "Address,Model,Settings (code)\r\n5,ZN260,\"19200,O,8,1 (115)\"\r\n", ""},
          {search + QStringList{"--format", "json", "--baud", "19200", "--parity", "O"}, 0,
           "{\"Address\":\"5\",\"Model\":\"ZN260\",\"Settings (code)\":\"19200,O,8,1 (115)\"}\n",
           ""},
          {search + QStringList{"--address", "6"}, 1,
           "Address: 5\nParameters: 19200,Odd,8,1\nModel: ZN260\n",
           "the module that answered has address 5, not 6\n"}}},
        {{},
         {{search + QStringList{"--wait", "50"}, 1, "", "no module answered\n"},
          {scan + QStringList{"--format", "csv", "--wait", "20"}, 1,
           bom + "Address,Model,Settings (code),Answered at,Response ms,Note\r\n",
           "no module answered\n"}}},
        {{"ZN210,addr=2", "ZN260,addr=5", "ZN330,addr=6,code=104,at=9600N"},
         {{scan, 0,
           "2  ZN210  9600,N,8,1 (103)  9600,N,8,1  {ms}  \n"
           "5  ZN260  9600,N,8,1 (103)  9600,N,8,1  {ms}  \n"
           "6  ZN330  14400,N,8,1 (104)  9600,N,8,1  {ms}  answers at other settings than its code "
           "says\n",
           ""},
          {scan + QStringList{"--format", "csv"}, 0,
           bom + "Address,Model,Settings (code),Answered at,Response ms,Note\r\n"
                 "2,ZN210,\"9600,N,8,1 (103)\",\"9600,N,8,1\",{ms},\r\n"
                 "5,ZN260,\"9600,N,8,1 (103)\",\"9600,N,8,1\",{ms},\r\n"
                 "6,ZN330,\"14400,N,8,1 (104)\",\"9600,N,8,1\",{ms},"
                 "answers at other settings than its code says\r\n",
           ""},
          {{"scan", "--port", "COM1", "--to", "2", "--format", "json"},
           0,
           "{\"Address\":\"2\",\"Model\":\"ZN210\",\"Settings (code)\":\"9600,N,8,1 (103)\","
           "\"Answered at\":\"9600,N,8,1\",\"Response ms\":\"{ms}\",\"Note\":\"\"}\n",
           ""}}},
        {{"ZN260,addr=5"},
         {{{"read", "--port", "COM1", "--address", "5", "--register", "100", "--count", "3"},
           0,
           "100: 5\n101: 103\n102: 260\n",
           ""},
          {{"read", "--port", "COM1", "--address", "5", "--register", "&H500", "--count", "2",
            "--type", "float", "--format", "csv"},
           0,
           bom + "Register,Value\r\n1280-1281,4.1465\r\n1282-1283,6.0904\r\n",
           ""},
          {{"read", "--port", "COM1", "--address", "5", "--register", "2304", "--type", "int32",
            "--format", "json"},
           0,
           "{\"Register\":\"2304-2305\",\"Value\":\"0\"}\n",
           ""},
          {{"write", "--port", "COM1", "--address", "5", "--register", "1344", "--value", "&H4D2"},
           0,
           "1344: 1234\n",
           ""},
          {{"read", "--port", "COM1", "--address", "5", "--register", "1344", "--format", "csv"},
           0,
           bom + "Register,Value\r\n1344,1234\r\n",
           ""},
          {{"read", "--port", "COM1", "--address", "9", "--register", "100", "--wait", "50"},
           1,
           "",
           "address 9: no reply\n"},
          {{"poll", "--port", "COM1", "--address", "5", "--model", "ZN260", "--count", "2",
            "--interval", "0"},
           0,
           zn260 + "\n" + zn260 + "\n",
           ""},
          {{"poll", "--port", "COM1", "--address", "5", "--model", "zn260", "--count", "1",
            "--format", "csv"},
           0,
           bom + "Time,AI_1 (mA),AI_2 (mA),AI_3 (mA),AI_4 (mA),AI_5 (mA),AI_6 (mA),AI_7 (mA),"
                 "AI_8 (mA)\r\n{time},4.15,6.09,8.12,10.35,12.77,15.20,17.47,19.53\r\n",
           ""},
          {{"poll", "--port", "COM1", "--address", "5", "--model", "ZN260", "--count", "1",
            "--format", "json"},
           0,
           "{\"Time\":\"{time}\",\"AI_1\":\"4.15mA\",\"AI_2\":\"6.09mA\",\"AI_3\":\"8.12mA\","
           "\"AI_4\":\"10.35mA\",\"AI_5\":\"12.77mA\",\"AI_6\":\"15.20mA\",\"AI_7\":\"17.47mA\","
           "\"AI_8\":\"19.53mA\"}\n",
           ""}}},
        {{"ZN260,addr=5"},
         {{{"set", "--port", "COM1", "--address", "5", "--new-address", "7", "--new-baud", "19200",
            "--new-parity", "O"},
           0,
           "Address: 7\nParameters: 19200,Odd,8,1\nModel: ZN260\n",
           ""},
          {{"read", "--port", "COM1", "--address", "7", "--register", "100", "--count", "2",
            "--baud", "19200", "--parity", "O"},
           0,
           "100: 7\n101: 115\n",
           ""}}},
        {{"ZN260,addr=5,writes=ignore"},
         {{{"set", "--port", "COM1", "--address", "5", "--new-address", "8", "--wait", "200"},
           1,
           "",
           "address 8: no reply\n"},
          {{"set", "--port", "COM1", "--address", "5", "--new-baud", "19200", "--new-parity", "O",
            "--wait", "200"},
           1,
           "",
           "address 5: no reply\n"}}},
        {{"ZN210,addr=3"},
         {{{"poll", "--port", "COM1", "--address", "3", "--model", "ZN210", "--count", "1"},
           0,
           "RTD1 19.4℃  RTD2 22.4℃  RTD3 25.1℃  RTD4 28.5℃\n",
           ""}}},
    };
    for (const Case& c : cases) {
        // A line with nothing on it is a pty nobody answers on: never whatever device COM1
        // would name without it.
        std::unique_ptr<PtyPeer> silentLine;
        if (c.modules.isEmpty())
            silentLine = std::make_unique<PtyPeer>(dir_.filePath("sys/COM1"));
        else
            StartSim(c.modules);
        for (const Step& step : c.steps) {
            const CliResult result = RunCli(step.args);
            const std::string what = step.args.join(' ').toStdString();
            EXPECT_EQ(result.code, step.code) << what;
            EXPECT_TRUE(Matches(result.out, step.out)) << what << "\n" << result.out.toStdString();
            EXPECT_EQ(result.err, step.err) << what;
        }
        sim_.Stop();
    }
}

TEST_F(CommandLineTest, ADeviceThatVanishesDuringAScanEndsItWithTheRowsFoundSoFar) {
    PtyPeer peer(dir_.filePath("sys/COM1"));
    CliResult result;
    // A long wait, so that each probe still waits when the peer acts.
    QThread* cli = QThread::create([&] {
        result = RunCli({"scan", "--port", "COM1", "--from", "1", "--to", "9", "--wait", "3000"});
    });
    cli->start();
    EXPECT_EQ(SpacedHex(peer.ReadRequest()), "01 03 00 64 00 03 44 14 ");
    peer.Write(HexBytes("01 03 06 00 01 00 67 00 D2", true));  // address 1, 9600 N, a ZN210
    EXPECT_TRUE(SpacedHex(peer.ReadRequest()).startsWith("02 03 00 64 00 03 44 27 "));
    peer.Vanish();
    cli->wait();
    delete cli;
    EXPECT_EQ(result.code, 3);
    EXPECT_TRUE(Matches(result.out, "1  ZN210  9600,N,8,1 (103)  9600,N,8,1  {ms}  \n"))
        << result.out.toStdString();
    EXPECT_NE(result.err, "");
}

TEST_F(CommandLineTest, CommissionGivesBenchModulesTheirAddressesAndLogsEachAttempt) {
    // Two modules connected one after another, each gone soon after it took its settings.
    ASSERT_TRUE(
        sim_.Start({"--freeze", "12.5", "--bench", dir_.filePath("sys/COM1"), "--hold", "100",
                    "--gap", "100", "--module", "ZN210,addr=1", "--module", "ZN260,addr=3"}))
        << sim_.Output().toStdString();
    const QString log = dir_.filePath("commission.csv");
    const CliResult result =
        RunCli({"commission", "--port", "COM1", "--first", "10", "--step", "2", "--give-baud",
                "19200", "--give-parity", "O", "--count", "2", "--log", log, "--format", "csv"});
    const QString header =
        "Time,Model,Old address,Old settings,New address,New settings,Verified,"
        "Reason\r\n";
    const QString rows =
        "{stamp},ZN210,1,\"9600,N,8,1\",10,\"19200,O,8,1\",yes,\r\n"
        "{stamp},ZN260,3,\"9600,N,8,1\",12,\"19200,O,8,1\",yes,\r\n";
    EXPECT_EQ(result.code, 0) << result.err.toStdString();
    EXPECT_TRUE(Matches(result.out, QString(QChar(0xFEFF)) + header + rows))
        << result.out.toStdString();
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(Matches(QString::fromUtf8(file.readAll()), header + rows));
}

TEST_F(CommandLineTest, CommandsWorkOverNetworkLinesAndPollReadsEveryModelWithInputs) {
    ASSERT_TRUE(sim_.Start({"--freeze", "12.5", "--bus", dir_.filePath("sys/COM1"), "--module",
                            "ZN260,addr=5", "--module", "ZN410,addr=6", "--module", "ZN330,addr=7",
                            "--tcp", "0", "--modbus-tcp", "0"}))
        << sim_.Output().toStdString();
    auto portOf = [&](const char* what) {
        return QRegularExpression(QString(what) + " on 127\\.0\\.0\\.1:(\\d+)")
            .match(sim_.Output())
            .captured(1);
    };
    const QString tcp = "tcp://127.0.0.1:" + portOf("raw RTU over TCP");
    const QString modbusTcp = "modbus-tcp://127.0.0.1:" + portOf("Modbus TCP");
    const QStringList readIds = {"read", "--address", "5", "--register", "100", "--count", "3"};
    const struct {
        QStringList args;
        int code;
        QString out;
        QString err;
    } steps[] = {
        {readIds + QStringList{"--port", tcp}, 0, "100: 5\n101: 103\n102: 260\n", ""},
        {readIds + QStringList{"--port", modbusTcp}, 0, "100: 5\n101: 103\n102: 260\n", ""},
        {{"poll", "--port", "COM1", "--address", "6", "--model", "ZN410", "--count", "1"},
         0,
         "AI_1 4.15mA  AI_2 6.09mA  AI_3 8.12mA  AI_4 10.35mA  AI_5 12.77mA  AI_6 15.20mA  "
         "DI_01 0  DI_02 0  DI_03 0  DI_04 1\n",
         ""},
        {{"poll", "--port", "COM1", "--address", "7", "--model", "ZN330", "--count", "1",
          "--format", "csv"},
         0,
         QString(QChar(0xFEFF)) +
             "Time,DI_01,DI_02,DI_03,DI_04,DI_05,DI_06,DI_07,DI_08,DI_09,DI_10,DI_11,DI_12,DI_13,"
             "DI_14,DI_15,DI_16\r\n{time},0,0,0,1,0,1,1,0,0,0,0,1,1,1,1,1\r\n",
         ""},
        {{"poll", "--port", "COM1", "--address", "8", "--model", "ZN230"},
         2,
         "",
         "zntool: --model: 'ZN230' is not a model this command polls\nzntool poll --help shows "
         "what it takes\n"},
    };
    for (const auto& step : steps) {
        const CliResult result = RunCli(step.args);
        const std::string what = step.args.join(' ').toStdString();
        EXPECT_EQ(result.code, step.code) << what;
        EXPECT_TRUE(Matches(result.out, step.out)) << what << "\n" << result.out.toStdString();
        EXPECT_EQ(result.err, step.err) << what;
    }
}

// Does `action` on the test's own event loop (the command's, while it runs) once the command has
// its line open.
void WhenOpen(std::function<void()> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (HeldLines::Count() == 0) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(5);
}

TEST_F(CommandLineTest, MonitorPrintsEachFrameItHearsSendsNothingAndEndsOnCtrlCOrALostLine) {
    PtyPeer bus(dir_.filePath("sys/COM1"));
    const QStringList monitor = {"monitor", "--port", "COM1", "--listen-only", "--no-reply", "200"};
    // A ZN260's identity read and its reply, then a request to a module that is not there.
    WhenOpen([&] {
        bus.Write(HexBytes("05 03 00 64 00 03", true) +
                  HexBytes("05 03 06 00 05 00 67 01 04", true));
        bus.Write(HexBytes("09 03 00 00 00 08", true));
    });
    const CliResult heard = RunCli(monitor + QStringList{"--count", "4", "--format", "csv"});
    EXPECT_EQ(heard.code, 0) << heard.err.toStdString();
    EXPECT_TRUE(
        Matches(heard.out,
                QString(QChar(0xFEFF)) +
                    "Time,Dir,Bytes,Meaning,Response ms,CRC,Verdict,Cause\r\n"
                    "{clock},sent,05 03 00 64 00 03 45 90,\"addr 5, Read Holding Registers, start "
                    "100, count 3\",,good,,heard on the bus\r\n"
                    "{clock},received,05 03 06 00 05 00 67 01 04 6E 39,\"addr 5, Read Holding "
                    "Registers, 3 registers from 100: 5 103 260\",{ms},good,accepted,heard on the "
                    "bus\r\n"
                    "{clock},sent,09 03 00 00 00 08 45 44,\"addr 9, Read Holding Registers, start "
                    "0, count 8\",,good,,heard on the bus\r\n"
                    "{clock},received,,nothing arrived within the wait,200,,rejected: no reply,"
                    "heard on the bus\r\n"))
        << heard.out.toStdString();
    EXPECT_TRUE(
        heard.err.startsWith("listening on COM1 at 9600,N,8,1, sending nothing (Ctrl-C ends)\n"))
        << heard.err.toStdString();
    EXPECT_TRUE(Matches(heard.err.section('\n', 1),
                        "Address  Model  Requests  Replies  Exceptions  No reply  Bad CRC  Other "
                        "faults  Min ms  Mean ms  Max ms  Last seen\n"
                        "5  ZN260  1  1  0  0  0  0  {ms}  {ms}  {ms}  {clock}\n"
                        "9    1  0  0  1  0  0  -  -  -  {clock}\n"))
        << heard.err.toStdString();

    // Ctrl-C ends it cleanly, and a line that hangs up ends it with the line's exit code.
    WhenOpen([] { std::raise(SIGINT); });
    EXPECT_EQ(RunCli(monitor).code, 0);
    EXPECT_EQ(HeldLines::Count(), 0);
    EXPECT_EQ(SpacedHex(bus.ReadRequest(1)), "");
    WhenOpen([&] { bus.Vanish(); });
    EXPECT_EQ(RunCli(monitor).code, 3);
}

namespace {
// A line file of two buses: limits one reading crosses, a module that is not there and one of
// another model.
const char kTwoLines[] = R"({"format":"zn-line","version":1,"lines":[
 {"name":"bus 1","port":"COM1","baud":9600,"parity":"N","waitMs":300,"modules":[
   {"address":1,"model":"ZN210","tag":"TT-101","limits":{"RTD1":{"high":20,"hysteresis":1},
                                                        "RTD2":{"low":30}}},
   {"address":2,"model":"ZN330","tag":"DI-2"},
   {"address":3,"model":"ZN210","tag":"TT-dead"},
   {"address":4,"model":"ZN230","tag":"AO-4"}]},
 {"name":"bus 2","port":"COM2","baud":9600,"parity":"N","waitMs":300,"modules":[
   {"address":5,"model":"ZN260","tag":"AI-5"}]}]})";

// Runs the command until Ctrl-C, raised once every pattern has matched a line of its output.
CliResult RunUntilSeen(const QStringList& args, const QStringList& patterns) {
    CliResult result;
    QTextStream out(&result.out), err(&result.err);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QStringList lines = result.out.split('\n');
        for (const QString& pattern : patterns)
            if (std::none_of(lines.begin(), lines.end(),
                             [&](const QString& line) { return Matches(line, pattern); }))
                return;
        watch.stop();
        std::raise(SIGINT);
    });
    watch.start(10);
    result.code = CommandLine::Run(args, out, err);
    out.flush();
    err.flush();
    return result;
}
}  // namespace

TEST_F(CommandLineTest, WatchPollsEveryLineAtOnceAndPrintsEachPollInEachFormat) {
    ASSERT_TRUE(sim_.Start({"--freeze", "12.5", "--bus", dir_.filePath("sys/COM1"), "--module",
                            "ZN210,addr=1", "--module", "ZN330,addr=2", "--module", "ZN220,addr=4",
                            "--bus", dir_.filePath("sys/COM2"), "--module", "ZN260,addr=5"}))
        << sim_.Output().toStdString();
    QFile file(dir_.filePath("lines.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kTwoLines);
    file.close();
    QStringList inputs, inputsJson, inputsCsv;
    const QString di = "0001011000011111";
    for (int k = 0; k < 16; ++k) {
        const QString name = QString("DI_%1").arg(k + 1, 2, 10, QChar('0'));
        inputs << name + ' ' + di[k];
        inputsJson << "\"" + name + "\":{\"value\":" + di[k] + ",\"unit\":\"\",\"alarm\":null}";
        inputsCsv << "{time},bus 1,2,DI-2,ZN330," + name + ',' + di[k] + ",,ok,";
    }
    const QStringList ai = {"4.15", "6.09", "8.12", "10.35", "12.77", "15.20", "17.47", "19.53"};
    QStringList aiText, aiJson, aiCsv;
    for (int k = 0; k < ai.size(); ++k) {
        const QString name = QString("AI_%1").arg(k + 1);
        aiText << name + ' ' + ai[k] + "mA";
        aiJson << "\"" + name + "\":{\"value\":" + ai[k] + ",\"unit\":\"mA\",\"alarm\":null}";
        aiCsv << "{time},bus 2,5,AI-5,ZN260," + name + ',' + ai[k] + ",mA,ok,";
    }
    const auto json = [](const QString& lead, const QString& status, bool timed,
                         const QString& channels) {
        return "{\"time\":\"{time}\"," + lead + ",\"status\":\"" + status +
               "\",\"responseMs\":" + (timed ? "{ms}" : "null") + ",\"channels\":{" + channels +
               "}}";
    };
    const QString tt101 = R"("line":"bus 1","address":1,"tag":"TT-101","model":"ZN210")";
    const QString di2 = R"("line":"bus 1","address":2,"tag":"DI-2","model":"ZN330")";
    const QString dead = R"("line":"bus 1","address":3,"tag":"TT-dead","model":"ZN210")";
    const QString ao4 = R"("line":"bus 1","address":4,"tag":"AO-4","model":"ZN230")";
    const QString ai5 = R"("line":"bus 2","address":5,"tag":"AI-5","model":"ZN260")";
    const QString rtd = R"("RTD1":{"value":19.4,"unit":"℃","alarm":null},)"
                        R"("RTD2":{"value":22.4,"unit":"℃","alarm":"low"},)"
                        R"("RTD3":{"value":25.1,"unit":"℃","alarm":null},)"
                        R"("RTD4":{"value":28.5,"unit":"℃","alarm":null})";
    struct Case {
        QString format;
        QStringList every;  // each line matches one of these
        QStringList seen;   // each of these is seen
    };
    const QStringList csvRows = QStringList{"{time},bus 1,1,TT-101,ZN210,,,,ok,",
                                            "{time},bus 1,1,TT-101,ZN210,RTD1,19.4,℃,ok,",
                                            "{time},bus 1,1,TT-101,ZN210,RTD2,22.4,℃,ok,low",
                                            "{time},bus 1,1,TT-101,ZN210,RTD3,25.1,℃,ok,",
                                            "{time},bus 1,1,TT-101,ZN210,RTD4,28.5,℃,ok,",
                                            "{time},bus 1,2,DI-2,ZN330,,,,ok,",
                                            "{time},bus 1,3,TT-dead,ZN210,,,,failing,",
                                            "{time},bus 1,3,TT-dead,ZN210,,,,offline,",
                                            "{time},bus 1,4,AO-4,ZN230,,,,wrong model,",
                                            "{time},bus 2,5,AI-5,ZN260,,,,ok,"} +
                                inputsCsv + aiCsv;
    const std::vector<Case> cases = {
        {"text",
         {"{time}  bus 1  1  TT-101  ZN210  ok  {ms} ms",
          "{time}  bus 1  1  TT-101  ZN210  ok  {ms} ms  RTD1 19.4℃  RTD2 22.4℃ [low]  RTD3 "
          "25.1℃  RTD4 28.5℃",
          "{time}  bus 1  2  DI-2  ZN330  ok  {ms} ms",
          "{time}  bus 1  2  DI-2  ZN330  ok  {ms} ms  " + inputs.join("  "),
          "{time}  bus 1  3  TT-dead  ZN210  failing", "{time}  bus 1  3  TT-dead  ZN210  offline",
          "{time}  bus 1  4  AO-4  ZN230  wrong model (ZN220)  {ms} ms",
          "{time}  bus 2  5  AI-5  ZN260  ok  {ms} ms",
          "{time}  bus 2  5  AI-5  ZN260  ok  {ms} ms  " + aiText.join("  "), ""},
         {}},
        {"json",
         {json(tt101, "ok", true, ""), json(tt101, "ok", true, rtd), json(di2, "ok", true, ""),
          json(di2, "ok", true, inputsJson.join(',')), json(dead, "failing", false, ""),
          json(dead, "offline", false, ""), json(ao4, "wrong model", true, ""),
          json(ai5, "ok", true, ""), json(ai5, "ok", true, aiJson.join(',')), ""},
         {}},
        {"csv",
         csvRows + QStringList{QChar(0xFEFF) + QString("time,line,address,tag,model,channel,value,"
                                                       "unit,status,alarm\r"),
                               ""},
         {}},
    };
    for (Case c : cases) {
        // Every kind of line is seen, the dead module offline included, before Ctrl-C.
        for (const QString& line : c.every)
            if (!line.isEmpty() && !line.startsWith(QChar(0xFEFF))) c.seen << line;
        QStringList args = {"watch", "--line", "lines.json", "--format", c.format, "--lang", "en"};
        if (c.format == "csv") {
            args << "--record"
                 << "rec.csv";
            for (QStringList* list : {&c.every, &c.seen})
                for (QString& one : *list)
                    if (!one.isEmpty() && !one.endsWith('\r')) one += '\r';
        }
        const CliResult result = RunUntilSeen(args, c.seen);
        EXPECT_EQ(result.code, 0) << result.err.toStdString();
        EXPECT_EQ(result.err, "watching 2 line(s), 5 module(s) (Ctrl-C ends)\n");
        for (const QString& line : result.out.split('\n'))
            EXPECT_TRUE(std::any_of(c.every.begin(), c.every.end(),
                                    [&](const QString& p) { return Matches(line, p); }))
                << c.format.toStdString() << ": " << line.toStdString();
    }
    // The recording holds what the CSV output held, rows of every module of both lines.
    QFile record(dir_.filePath("rec.csv"));
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const QByteArray bytes = record.readAll();
    EXPECT_TRUE(
        bytes.startsWith("\xEF\xBB\xBFtime,line,address,tag,model,channel,value,unit,"
                         "status,alarm\r\n"));
    const QStringList recorded = QString::fromUtf8(bytes).split("\r\n");
    for (const QString& row : recorded.mid(1))
        EXPECT_TRUE(row.isEmpty() || std::any_of(csvRows.begin(), csvRows.end(),
                                                 [&](const QString& p) { return Matches(row, p); }))
            << row.toStdString();
    EXPECT_EQ(HeldLines::Count(), 0);
}

TEST_F(CommandLineTest, WatchRefusesABadLineFileOrRecordAndEndsWithThreeWhenALineFails) {
    // Ports no device is at, whatever the machine has.
    QFile file(dir_.filePath("lines.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        QByteArray(kTwoLines).replace("\"COM1\"", "\"COM91\"").replace("\"COM2\"", "\"COM92\""));
    file.close();
    QFile bad(dir_.filePath("bad.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(R"({"format":"zn-line","version":1,"lines":[{"name":"a","port":"COM1","modules":[
              {"address":248,"model":"ZN210"}]}]})");
    bad.close();
    struct Case {
        QStringList args;
        int code;
        QString err;  // its beginning
    };
    const Case cases[] = {
        {{"watch", "--line", "bad.json"}, 2, "bad.json, line \"a\", module 248: "},
        {{"watch", "--line", "missing.json"}, 2, "missing.json"},
        {{"watch"}, 2, "zntool: --line: required"},
        {{"watch", "--line", "lines.json", "--port", "COM1"},
         2,
         "zntool: --port: no such option for 'watch'"},
        {{"watch", "--line", "lines.json", "--record", "no/such/folder/rec.csv"},
         2,
         "--record: no/such/folder/rec.csv cannot be written: "},
        // Neither bus is there: each line fails, said by name, and nothing is left held.
        {{"watch", "--line", "lines.json", "--seconds", "60"}, 3, "watching 2 line(s)"},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(c.args + QStringList{"--lang", "en"});
        EXPECT_EQ(result.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(c.err)) << result.err.toStdString();
        EXPECT_EQ(result.out, "");
    }
    const CliResult failed = RunCli({"watch", "--line", "lines.json", "--lang", "en"});
    EXPECT_TRUE(failed.err.contains("line \"bus 1\" failed: ")) << failed.err.toStdString();
    EXPECT_TRUE(failed.err.contains("line \"bus 2\" failed: ")) << failed.err.toStdString();
    EXPECT_EQ(HeldLines::Count(), 0);
}

TEST_F(CommandLineTest, EveryCommandIsInTheHelpTheManualPageAndTheCompletion) {
    QFile manual(":/packaging/zntool.1");
    QFile completion(":/packaging/zntool.bash-completion");
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    ASSERT_TRUE(completion.open(QIODevice::ReadOnly));
    const QString manualText = QString::fromUtf8(manual.readAll());
    const QString completionText = QString::fromUtf8(completion.readAll());
    const QRegularExpression completed(R"re(local commands="([^"]*)")re");
    const QStringList completedCommands =
        completed.match(completionText).captured(1).split(' ', Qt::SkipEmptyParts);
    ASSERT_FALSE(completedCommands.isEmpty());
    ASSERT_FALSE(CliOptions::Commands().isEmpty());
    for (const char* language : {"en", "zh"}) {
        const QString help = RunCli({"--help", "--lang", QString(language)}).out;
        for (const QString& command : CliOptions::Commands())
            EXPECT_TRUE(help.contains("\n  " + command + " ")) << command.toStdString();
    }
    for (const QString& command : CliOptions::Commands()) {
        const QRegularExpression entry("\n\\.B " + command + "( |\n)");
        EXPECT_TRUE(entry.match(manualText).hasMatch()) << command.toStdString();
        EXPECT_TRUE(completedCommands.contains(command)) << command.toStdString();
    }
}
