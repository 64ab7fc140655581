// The traffic log watching real exchanges over a pseudo-terminal: each reason a reply is refused
// appears as a row, with the request that caused it; a scripted exchange saves and records as
// exactly the expected CSV; a file that cannot be written is told once, in the monitor.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTime>

#include "core/traffic/TrafficCsv.h"
#include "core/traffic/TrafficLog.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficMonitor.h"
#include "core/traffic/TrafficTexts.h"
#include "tests/support/ProbeWindow.h"

namespace {
const char* kGood = "01 03 08 02 6C 02 6D 02 6E 02 6F";

class TrafficExchangeTest : public ProbeWindowTest {
  protected:
    void SetUp() override {
        ProbeWindowTest::SetUp();
        Switches().EnglishUi = 1;
        log.SetClock(nullptr);
        log.StopRecording();
        log.Clear();
        window.Command_Port_Click();
        ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close");
        window.loop->Click();
    }
    void TearDown() override {
        log.SetClock(nullptr);
        log.StopRecording();
        ProbeWindowTest::TearDown();
    }
    // One poll answered with `reply` (nothing when empty), after `stale` bytes were left unasked.
    void Poll(const QByteArray& reply, const QByteArray& stale = {}) {
        if (!stale.isEmpty()) module.Write(stale);
        window.loop->AcquisitionTick();
        ASSERT_EQ(SpacedHex(module.ReadRequest()), "01 03 00 00 00 04 44 09 ");
        if (!reply.isEmpty()) module.Write(reply);
        window.loop->OvertimeTick();
    }
    QString Cell(int fromEnd, TrafficTexts::Column column) const {
        return TrafficTexts::Cell(log.Row(log.Count() - fromEnd), column, true);
    }

    TrafficLog& log = TrafficLog::Instance();
    PtyPeer module{"sys/COM1"};
};

// `csv` with its response times replaced by those of `model`, line for line: they are the
// module's, measured on the line's own clock, which the test's stepped clock does not move. Each
// must be a number wherever the model has one. A reply's time, its request's plus its response
// time, is replaced by the model's with it.
QByteArray WithResponseTimesOf(const QByteArray& csv, const QByteArray& model) {
    static const QRegularExpression time(R"(,(\d*),(good|bad|),)");
    const auto msOfDay = [](const QString& line) {
        return QTime::fromString(line.left(12), "hh:mm:ss.zzz").msecsSinceStartOfDay();
    };
    const QList<QByteArray> lines = csv.split('\n'), modelLines = model.split('\n');
    if (lines.size() != modelLines.size()) return csv;
    QByteArray out;
    int previous = -1;
    for (int i = 0; i < lines.size(); ++i) {
        if (i == 0) {  // the header, with its byte-order mark
            out += lines[i] + (lines.size() > 1 ? "\n" : "");
            continue;
        }
        QString line = QString::fromUtf8(lines[i]);
        const QString modelLine = QString::fromUtf8(modelLines[i]);
        const auto mine = time.match(line), theirs = time.match(modelLine);
        const int at = msOfDay(line);
        if (mine.hasMatch() && theirs.hasMatch() &&
            mine.captured(1).isEmpty() == theirs.captured(1).isEmpty()) {
            line.replace(mine.capturedStart(1), mine.capturedLength(1), theirs.captured(1));
            if (!mine.captured(2).isEmpty() && at - previous == mine.captured(1).toInt())
                line.replace(0, 12, modelLine.left(12));
        }
        previous = at;
        out += line.toUtf8() + (i + 1 < lines.size() ? "\n" : "");
    }
    return out;
}

QByteArray WithBadCrc(const char* body) {
    QByteArray bytes = HexBytes(body, true);
    bytes[bytes.size() - 1] = static_cast<char>(bytes[bytes.size() - 1] ^ 0x01);
    return bytes;
}
}  // namespace

TEST_F(TrafficExchangeTest, EachReasonIsARowBesideItsRequest) {
    struct {
        const char* what;
        QByteArray reply;
        QByteArray stale;
        const char* verdict;
        const char* crc;
        const char* meaning;
    } cases[] = {
        {"good",
         HexBytes(kGood, true),
         {},
         "accepted",
         "good",
         "addr 1, Read Holding Registers, 4 registers from 0: 620 621 622 623"},
        {"silence", {}, {}, "rejected: no reply", "", "nothing arrived within the wait"},
        {"short",
         HexBytes("01 03 06 02 6C 02 6D 02 6E", true),
         {},
         "rejected: too short (11 of 13 bytes)",
         "good",
         "addr 1, Read Holding Registers, 3 registers from 0: 620 621 622"},
        // A reply cut short is too short, whatever its last two bytes; bytes of full length whose
        // CRC fails are noise, whatever their first byte.
        {"cut",
         HexBytes("01 03 08 02 6C"),
         {},
         "rejected: too short (5 of 13 bytes)",
         "bad",
         "addr 1, Read Holding Registers, byte count 8 but 0 bytes follow"},
        {"noise",
         HexBytes("7F 03 08 02 6C 02 6D 02 6E 02 6F 00 00"),
         {},
         "rejected: bad CRC",
         "bad",
         "addr 127, Read Holding Registers, 4 registers from 0: 620 621 622 623"},
        {"long",
         HexBytes(QString(kGood) + " 00", true),
         {},
         "rejected: too long (14 of 13 bytes)",
         "good",
         "addr 1, Read Holding Registers, byte count 8 but 9 bytes follow"},
        {"address",
         HexBytes("02 03 08 02 6C 02 6D 02 6E 02 6F", true),
         {},
         "rejected: wrong address",
         "good",
         "addr 2, Read Holding Registers, 4 registers from 0: 620 621 622 623"},
        {"function",
         HexBytes("01 04 08 02 6C 02 6D 02 6E 02 6F", true),
         {},
         "rejected: wrong function",
         "good",
         "addr 1, Read Input Registers, 4 registers: 620 621 622 623"},
        {"exception",
         HexBytes("01 83 02", true),
         {},
         "rejected: exception",
         "good",
         "addr 1, exception to Read Holding Registers: 02 Illegal Data Address"},
        {"crc",
         WithBadCrc(kGood),
         {},
         "rejected: bad CRC",
         "bad",
         "addr 1, Read Holding Registers, 4 registers from 0: 620 621 622 623"},
        {"stale", HexBytes(kGood, true), HexBytes("AA BB CC"), "accepted", "good",
         "addr 1, Read Holding Registers, 4 registers from 0: 620 621 622 623"},
    };
    for (const auto& c : cases) {
        Poll(c.reply, c.stale);
        SCOPED_TRACE(c.what);
        ASSERT_GE(log.Count(), 2);
        EXPECT_EQ(Cell(2, TrafficTexts::Direction), "sent");
        EXPECT_EQ(Cell(2, TrafficTexts::Bytes), "01 03 00 00 00 04 44 09");
        EXPECT_EQ(Cell(2, TrafficTexts::Meaning),
                  "addr 1, Read Holding Registers, start 0, count 4");
        EXPECT_EQ(
            Cell(2, TrafficTexts::Verdict),
            c.stale.isEmpty() ? QString() : QString("3 stale bytes discarded before the request"));
        EXPECT_EQ(Cell(2, TrafficTexts::Cause), "poll loop A");
        EXPECT_EQ(Cell(1, TrafficTexts::Direction), "received");
        EXPECT_EQ(Cell(1, TrafficTexts::Bytes), SpacedHex(c.reply).trimmed());
        EXPECT_EQ(Cell(1, TrafficTexts::Verdict), c.verdict);
        EXPECT_EQ(Cell(1, TrafficTexts::Crc), c.crc);
        EXPECT_EQ(Cell(1, TrafficTexts::Meaning), c.meaning);
        EXPECT_EQ(Cell(1, TrafficTexts::Cause), "poll loop A");
        EXPECT_FALSE(Cell(1, TrafficTexts::Response).isEmpty());
        // The window's own judgement agrees with the row.
        EXPECT_EQ(window.Panel()->Text_Message->text(), QString(c.verdict) == "accepted"
                                                            ? Tt(TextKey::MsgCommNormal)
                                                            : Tt(TextKey::MsgCommError));
    }
    const TrafficSummary& summary = log.Summary();
    EXPECT_EQ(summary.requests, 11);
    EXPECT_EQ(summary.accepted, 2);
    EXPECT_EQ(summary.rejected, 9);
    EXPECT_EQ(summary.staleRequests, 1);
    for (TrafficVerdict v :
         {TrafficVerdict::NoReply, TrafficVerdict::TooShort, TrafficVerdict::TooLong,
          TrafficVerdict::WrongAddress, TrafficVerdict::WrongFunction, TrafficVerdict::Exception,
          TrafficVerdict::BadCrc})
        EXPECT_EQ(summary.byVerdict[static_cast<int>(v)],
                  v == TrafficVerdict::BadCrc || v == TrafficVerdict::TooShort ? 2 : 1);
    EXPECT_EQ(summary.responses, 10);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(TrafficExchangeTest, AScriptedExchangeSavesAndRecordsAsExactCsv) {
    // Time stands at 09:59:59.950 and moves 105 ms at each look.
    int64_t t = 0;
    log.SetClock([&t] {
        const TrafficTime now{35999950 + static_cast<int>(t), t};
        t += 105;
        return now;
    });
    QTemporaryDir dir;
    const QString recorded = dir.filePath("recorded.csv");
    ASSERT_TRUE(log.StartRecording(recorded));

    window.Write(7);  // a one-shot write: pauses the loop, sent with its own cause
    ASSERT_EQ(SpacedHex(module.ReadRequest()), "01 06 04 4C 00 07 08 EF ");
    module.Write(HexBytes("01 06 04 4C 00 07 08 EF"));
    window.TM_Overtime_C_Timer();
    Poll(HexBytes("01 83 02", true));
    Poll({});
    log.StopRecording();

    const QByteArray expected =
        "\xEF\xBB\xBF"
        "Time,Dir,Bytes,Meaning,Response ms,CRC,Verdict,Cause\r\n"
        "09:59:59.950,sent,01 06 04 4C 00 07 08 EF,\"addr 1, Write Single Register, register 1100 "
        "= 7\",,good,,write\r\n"
        "10:00:00.055,received,01 06 04 4C 00 07 08 EF,\"addr 1, Write Single Register, register "
        "1100 = 7\",105,good,accepted,write\r\n"
        "10:00:00.160,sent,01 03 00 00 00 04 44 09,\"addr 1, Read Holding Registers, start 0, "
        "count 4\",,good,,poll loop A\r\n"
        "10:00:00.265,received,01 83 02 C0 F1,\"addr 1, exception to Read Holding Registers: 02 "
        "Illegal Data Address\",105,good,rejected: exception,poll loop A\r\n"
        "10:00:00.370,sent,01 03 00 00 00 04 44 09,\"addr 1, Read Holding Registers, start 0, "
        "count 4\",,good,,poll loop A\r\n"
        "10:00:00.475,received,,nothing arrived within the wait,105,,rejected: no reply,poll loop "
        "A\r\n";
    QFile file(recorded);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(WithResponseTimesOf(file.readAll(), expected), expected);

    TrafficMonitor monitor;
    const QString saved = dir.filePath("saved.csv");
    ASSERT_TRUE(monitor.SaveTo(saved));
    QFile savedFile(saved);
    ASSERT_TRUE(savedFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(WithResponseTimesOf(savedFile.readAll(), expected), expected);
    EXPECT_EQ(monitor.NoteLabel->text(), "Saved 6 rows to " + saved);
}

TEST_F(TrafficExchangeTest, AReplysRowCarriesTheTimeItCameNotTheTimeItWasCollected) {
    // Each look at the clock is 10 s on: the window collects long after the peer answered, and
    // far later than any response a loaded machine makes.
    constexpr int kStepMs = 10000;
    int64_t t = 0;
    log.SetClock([&t] {
        const TrafficTime now{29892331 + static_cast<int>(t), t};  // from 08:18:12.331
        t += kStepMs;
        return now;
    });
    QTemporaryDir dir;
    const QString recorded = dir.filePath("recorded.csv");
    ASSERT_TRUE(log.StartRecording(recorded));
    const struct {
        const char* what;
        QByteArray reply;
    } cases[] = {
        {"good", HexBytes(kGood, true)},
        {"exception", HexBytes("01 83 02", true)},
        {"cut", HexBytes("01 03 08 02 6C")},
        {"bad CRC", WithBadCrc(kGood)},
        {"no reply", {}},  // stays at the end of the wait
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        window.loop->AcquisitionTick();
        ASSERT_EQ(SpacedHex(module.ReadRequest()), "01 03 00 00 00 04 44 09 ");
        if (!c.reply.isEmpty()) {
            module.Write(c.reply);
            ASSERT_TRUE(SerialPort::WaitForInput(5000));  // noted as it arrived
        }
        window.loop->OvertimeTick();
        ASSERT_GE(log.Count(), 2);
        const TrafficRow& request = log.Row(log.Count() - 2);
        const TrafficRow& reply = log.Row(log.Count() - 1);
        ASSERT_EQ(request.direction, TrafficRow::Sent);
        ASSERT_EQ(reply.direction, TrafficRow::Received);
        const int shown = reply.msOfDay - request.msOfDay;
        if (c.reply.isEmpty())
            EXPECT_EQ(shown, kStepMs);
        else
            EXPECT_NEAR(shown, reply.responseMs, 1);
    }
    log.StopRecording();

    // The recording says the same, and no row is earlier than the one before it.
    QFile file(recorded);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    static const QRegularExpression row(
        R"(^(\d\d:\d\d:\d\d\.\d\d\d),(sent|received),.*,(\d*),(good|bad|),[^,]*,[^,]*$)");
    int previous = -1, requestAt = -1, replies = 0;
    for (const QByteArray& line : file.readAll().split('\n').mid(1)) {
        if (line.trimmed().isEmpty()) continue;
        const auto match = row.match(QString::fromUtf8(line.trimmed()));
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        const int at = QTime::fromString(match.captured(1), "hh:mm:ss.zzz").msecsSinceStartOfDay();
        EXPECT_GE(at, previous) << line.toStdString();
        previous = at;
        if (match.captured(2) == "sent") {
            requestAt = at;
        } else if (match.captured(4).isEmpty()) {
            EXPECT_EQ(at - requestAt, kStepMs) << line.toStdString();
        } else {
            EXPECT_NEAR(at - requestAt, match.captured(3).toInt(), 1) << line.toStdString();
            ++replies;
        }
    }
    EXPECT_EQ(replies, 4);
    for (int i = 1; i < log.Count(); ++i) EXPECT_GE(log.Row(i).msOfDay, log.Row(i - 1).msOfDay);
}

TEST_F(TrafficExchangeTest, MonitorFiltersPausesCopiesAndClearsWithoutTouchingTheExchange) {
    TrafficMonitor monitor;
    monitor.show();
    TrafficModel& model = *monitor.Model();
    Poll(HexBytes(kGood, true));
    Poll(HexBytes("01 83 02", true));
    Poll(HexBytes(kGood, true), HexBytes("AA"));
    EXPECT_EQ(model.rowCount(), 0);  // rows reach the view in batches
    model.Flush();
    EXPECT_EQ(model.rowCount(), 6);

    monitor.FaultsOnly->setChecked(
        true);  // the refused exchange, and the request after stale bytes
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.RowAt(1).verdict, TrafficVerdict::Exception);
    EXPECT_EQ(model.RowAt(2).staleBytes, 1);
    Poll({});  // a new fault comes in with its request
    model.Flush();
    EXPECT_EQ(model.rowCount(), 5);

    monitor.PauseButton->setChecked(true);  // the view holds; the log and the summary go on
    Poll({});
    model.Flush();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(log.Count(), 10);
    EXPECT_TRUE(monitor.SummaryLabel->text().startsWith("Requests 5, accepted 2, rejected 3"));
    monitor.PauseButton->setChecked(false);
    EXPECT_EQ(model.rowCount(), 7);
    monitor.FaultsOnly->setChecked(false);
    EXPECT_EQ(model.rowCount(), 10);

    monitor.Table()->selectRow(2);
    EXPECT_TRUE(monitor.CopySelection().startsWith(
        TrafficTexts::TimeOfDay(model.RowAt(2).msOfDay) +
        "\tsent\t01 03 00 00 00 04 44 09\taddr 1, Read Holding Registers, start 0, count 4\t\tgood"
        "\t\tpoll loop A\n"));

    monitor.ClearButton->click();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(log.Summary().requests, 0);
    // The exchange never noticed: polling goes on as before.
    EXPECT_TRUE(window.loop->Running());
    Poll(HexBytes(kGood, true));
    EXPECT_EQ(window.Panel()->Text_Message->text(), Tt(TextKey::MsgCommNormal));
    model.Flush();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(TrafficExchangeTest, AFileThatCannotBeWrittenIsToldOnceInTheMonitor) {
    TrafficMonitor monitor;
    int failures = 0;
    const auto counting =
        QObject::connect(&log, &TrafficLog::RecordingFailed, [&failures] { ++failures; });
    // Refused at the start: the device takes nothing.
    monitor.RecordTo("/dev/full");
    EXPECT_FALSE(log.Recording());
    EXPECT_TRUE(
        monitor.NoteLabel->text().startsWith("Recording stopped: /dev/full could not be written"))
        << monitor.NoteLabel->text().toStdString();

    // Failing later: the file may grow no further than its header and one row.
    QTemporaryDir dir;
    const QString path = dir.filePath("soak.csv");
    monitor.RecordTo(path);
    ASSERT_TRUE(log.Recording());
    EXPECT_TRUE(monitor.RecordButton->isChecked());
    Poll(HexBytes(kGood, true));
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = static_cast<rlim_t>(QFileInfo(path).size());
    setrlimit(RLIMIT_FSIZE, &small);
    for (int i = 0; i < 3; ++i) Poll(HexBytes(kGood, true));
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, oldHandler);

    QObject::disconnect(counting);
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(log.Recording());
    EXPECT_FALSE(monitor.RecordButton->isChecked());
    EXPECT_TRUE(monitor.NoteLabel->text().startsWith("Recording stopped: " + path))
        << monitor.NoteLabel->text().toStdString();
    EXPECT_TRUE(platform.messages.isEmpty());  // never a modal box
    EXPECT_EQ(window.Panel()->Text_Message->text(), Tt(TextKey::MsgCommNormal));
}
