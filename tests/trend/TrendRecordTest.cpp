// Trends and recordings of real windows over a pseudo-terminal: a module answers known readings,
// "No Sensor" among them, and one reply is rejected; the CSV file and the chart's lines must hold
// exactly what the window showed, with a gap for what it did not. A recording that cannot be
// written ends with one note and whole rows.
#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>

#include "core/record/TrendCsv.h"
#include "trend/TrendFeed.h"
#include "trend/TrendWindow.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/WindowTest.h"
#include "windows/analog/AnalogInputWindow.h"
#include "windows/analog/AnalogOutputWindow.h"
#include "windows/digital/CombinationWindows.h"
#include "windows/digital/DigitalIoWindows.h"

namespace {
const int64_t kStart = QDateTime(QDate(2026, 12, 7), QTime(13, 44, 10, 123)).toMSecsSinceEpoch();
constexpr int64_t kCycleMs = 200;

// A window under test: its trend and its poll handlers.
struct Polled {
    std::unique_ptr<WorkWindow> window;
    TrendFeed* feed;
    std::function<void()> start, tick, overtime;
};

// The points of a channel's lines as "poll:value" (poll = time in cycles from kStart), one
// group per unbroken stretch: "0:25.3 1:25.4 | 3:25.5".
QString Lines(TrendWindow& chart, int channel) {
    QStringList groups;
    for (const TrendSegment& segment : chart.LinesOf(channel)) {
        QStringList points;
        for (const QPointF& p : segment)
            points
                << QStringLiteral("%1:%2").arg((p.x() - kStart) / kCycleMs).arg(p.y(), 0, 'g', 6);
        groups << points.join(' ');
    }
    return groups.join(QStringLiteral(" | "));
}

QByteArray BadCrc(QByteArray reply) {
    reply[reply.size() - 1] = static_cast<char>(reply[reply.size() - 1] ^ 0xFF);
    return reply;
}
}  // namespace

class TrendRecordTest : public WindowTest {
  protected:
    // The clock the readings are stamped with: one cycle per poll.
    void UseClock(TrendFeed* feed) {
        feed->SetClock([this] { return now_; });
    }
    void Poll(Polled& polled, const QByteArray& reply) {
        polled.tick();
        EXPECT_NE(Request(), "");
        module.Write(reply);
        polled.overtime();
        now_ += kCycleMs;
    }
    Polled ZN220() {
        auto window = OpenWith<ZN220Frm>();
        ZN220Frm* w = window.get();
        return {std::move(window), w->Input->Trend, [w] { w->Command_OK1_Click(); },
                [w] { w->TM_Acquisition_A_Timer(); }, [w] { w->TM_Overtime_A_Timer(); }};
    }
    Polled ZN330() {
        auto window = OpenWith<ZN330Frm>();
        ZN330Frm* w = window.get();
        return {std::move(window), w->Inputs->Trend, [w] { w->Command_OK1_Click(); },
                [w] { w->TM_Acquisition_A_Timer(); }, [w] { w->TM_Overtime_A_Timer(); }};
    }
    static QByteArray InputsReply(int low, int high) {
        return HexBytes(QStringLiteral("01 02 02 %1 %2 ")
                            .arg(low, 2, 16, QChar('0'))
                            .arg(high, 2, 16, QChar('0'))
                            .toUpper(),
                        true);
    }

    int64_t now_ = kStart;
};

TEST_F(TrendRecordTest, RecordingAndChartHoldWhatTheWindowShowedWithGaps) {
    struct Case {
        const char* what;
        bool english;
        std::function<Polled()> open;
        std::vector<QByteArray> replies;  // the third is rejected
        QString shownAtFirst;             // the window's first reading, as a check of the decoding
        QByteArray csv;                   // after the byte-order mark
        std::map<int, QString> lines;     // per channel; the rest read `otherLines`
        QString otherLines;
    };
    const Case cases[] = {
        {"temperatures, No Sensor and a bad CRC",
         true,
         [this] { return ZN220(); },
         {ReadReply({253, 10125, 0, 9999, 1, 100, 65535, 10000}),
          ReadReply({254, 10120, 0, 9998, 2, 101, 300, 10001}),
          BadCrc(ReadReply({1, 1, 1, 1, 1, 1, 1, 1})),
          ReadReply({255, 10100, 1, 9997, 3, 102, 65535, 0})},
         "25.3℃ -12.5℃ 0.0℃ 999.9℃ 0.1℃ 10.0℃ No Sensor -0.0℃",
         "Time,DS1 (℃),DS2 (℃),DS3 (℃),DS4 (℃),DS5 (℃),DS6 (℃),DS7 (℃),DS8 (℃)\r\n"
         "2026-12-07T13:44:10.123,25.3,-12.5,0.0,999.9,0.1,10.0,,-0.0\r\n"
         "2026-12-07T13:44:10.323,25.4,-12.0,0.0,999.8,0.2,10.1,30.0,-0.1\r\n"
         "2026-12-07T13:44:10.723,25.5,-10.0,0.1,999.7,0.3,10.2,,0.0\r\n",
         {{0, "0:25.3 1:25.4 | 3:25.5"},
          {1, "0:-12.5 1:-12 | 3:-10"},
          {2, "0:0 1:0 | 3:0.1"},
          {3, "0:999.9 1:999.8 | 3:999.7"},
          {4, "0:0.1 1:0.2 | 3:0.3"},
          {5, "0:10 1:10.1 | 3:10.2"},
          {6, "1:30"},
          {7, "0:0 1:-0.1 | 3:0"}},  // -0.0 is drawn at 0
         ""},
        {"inputs as steps, an exception reply",
         false,
         [this] { return ZN330(); },
         {InputsReply(0x05, 0x80), InputsReply(0x04, 0x00), HexBytes("01 82 02 ", true),
          InputsReply(0x01, 0x80)},
         "ON OFF ON OFF OFF OFF OFF OFF OFF OFF OFF OFF OFF OFF OFF ON",
         "时间,DI_01,DI_02,DI_03,DI_04,DI_05,DI_06,DI_07,DI_08,DI_09,DI_10,DI_11,DI_12,DI_13,"
         "DI_14,DI_15,DI_16\r\n"
         "2026-12-07T13:44:10.123,1,0,1,0,0,0,0,0,0,0,0,0,0,0,0,1\r\n"
         "2026-12-07T13:44:10.323,0,0,1,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n"
         "2026-12-07T13:44:10.723,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1\r\n",
         {{0, "0:1 1:1 1:0 | 3:1"}, {2, "0:1 1:1 | 3:0"}, {15, "0:1 1:1 1:0 | 3:1"}},
         "0:0 1:0 | 3:0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseLanguage(c.english);
        now_ = kStart;
        Polled polled = c.open();
        TrendFeed* feed = polled.feed;
        UseClock(feed);
        EXPECT_EQ(feed->TrendButton->text(), c.english ? "Trend" : "趋势");
        EXPECT_EQ(feed->RecordButton->text(), c.english ? "Record" : "记录");
        const QString path = sys.Path() + "/readings.csv";
        ASSERT_TRUE(feed->StartRecording(path));
        EXPECT_TRUE(feed->RecordButton->isChecked());
        EXPECT_EQ(feed->NoteLabel->text(),
                  c.english ? "Recording to readings.csv" : "正在记录到 readings.csv");

        polled.start();
        for (size_t i = 0; i < c.replies.size(); ++i) {
            Poll(polled, c.replies[i]);
            if (i == 0) {
                QStringList shown;
                for (QLabel* label : polled.window->findChildren<QLabel*>()) {
                    const QString name = label->objectName();
                    if (name.startsWith("AI_SHOW(") || name.startsWith("DI_SHOW("))
                        shown << label->text();
                }
                EXPECT_EQ(shown.join(' '), c.shownAtFirst);
            }
            EXPECT_EQ(Message(*polled.window), i == 2 ? Error() : Normal());
        }
        feed->StopRecording();
        EXPECT_FALSE(feed->RecordButton->isChecked());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(file.readAll()), QString::fromUtf8("\xEF\xBB\xBF" + c.csv));

        // The chart, made now, draws what the ring kept: the view follows the clock.
        now_ -= kCycleMs;
        TrendWindow* chart = feed->Chart();
        chart->Redraw();
        EXPECT_LE(chart->From(), kStart);
        EXPECT_EQ(chart->To(), now_);
        const int channels = static_cast<int>(feed->Channels().size());
        for (int k = 0; k < channels; ++k) {
            SCOPED_TRACE(k);
            const auto it = c.lines.find(k);
            EXPECT_EQ(Lines(*chart, k), it == c.lines.end() ? c.otherLines : it->second);
        }
        // A hidden channel draws nothing; the readout names the visible ones at the cursor.
        chart->ChannelBoxes[0]->setChecked(false);
        EXPECT_EQ(Lines(*chart, 0), "");
        const QString readout = chart->ReadoutAt(kStart + 3 * kCycleMs + 40);
        EXPECT_TRUE(readout.startsWith("13:44:10.723   ")) << readout.toStdString();
        EXPECT_FALSE(readout.contains(feed->Channels()[0].name + ' '));
        polled.window->close();
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(TrendRecordTest, AFailedWriteEndsTheRecordingWithOneNoteAndWholeRows) {
    Polled polled = ZN220();
    TrendFeed* feed = polled.feed;
    UseClock(feed);
    int failures = 0;
    QObject::connect(feed, &TrendFeed::RecordingFailed, [&failures] { ++failures; });
    const QString path = sys.Path() + "/full.csv";
    ASSERT_TRUE(feed->StartRecording(path));
    polled.start();
    const QByteArray reply = ReadReply({253, 254, 255, 256, 257, 258, 259, 260});
    Poll(polled, reply);
    const qint64 oneRow = QFileInfo(path).size();
    QByteArray before;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        before = file.readAll();
    }
    {
        // Room for half a row more: the next row is cut short by the system.
        FileSizeLimit limit(oneRow + 20);
        for (int i = 0; i < 3; ++i) Poll(polled, reply);
    }
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(feed->Recording());
    EXPECT_FALSE(feed->RecordButton->isChecked());
    EXPECT_EQ(feed->NoteLabel->text(), QStringLiteral("Recording stopped: full.csv could not be "
                                                      "written (%1)")
                                           .arg(QString::fromLocal8Bit(std::strerror(EFBIG))));
    EXPECT_FALSE(feed->NoteLabel->isHidden());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_TRUE(before.endsWith("25.3,25.4,25.5,25.6,25.7,25.8,25.9,26.0\r\n"));
    // Polling and the chart go on; no message box stopped the window.
    EXPECT_EQ(feed->Ring().Count(), 4);
    EXPECT_EQ(Message(*polled.window), Normal());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(TrendRecordTest, TheViewFollowsPausesZoomsAndPans) {
    ZN220Frm window;
    TrendFeed* feed = window.Input->Trend;
    UseClock(feed);
    TrendWindow* chart = feed->Chart();
    constexpr int64_t kMinute = 60 * 1000;
    struct Step {
        const char* what;
        std::function<void()> act;
        int64_t clockStep;  // after the act
        bool following;
        int64_t from, to;  // from kStart
    };
    const Step steps[] = {
        {"follows the last ten minutes", [] {}, kMinute, true, -9 * kMinute, kMinute},
        {"paused, it stays", [chart] { chart->PauseButton->click(); }, kMinute, false, -9 * kMinute,
         kMinute},
        {"zoomed in, the time under the mouse stays put",
         [chart] { chart->ZoomBy(0.5, kStart - 4 * kMinute); }, 0, false, -6500 * 60, -1500 * 60},
        {"dragged back a minute", [chart] { chart->PanBy(-kMinute); }, 0, false, -7500 * 60,
         -2500 * 60},
        {"zoomed out past three hours: three hours",
         [chart] { chart->ZoomBy(100, kStart - 5000 * 60); }, 0, false, -5000 * 60 - 90 * kMinute,
         -5000 * 60 + 90 * kMinute},
        {"back to the last ten minutes", [chart] { chart->FollowButton->click(); }, 0, true,
         -8 * kMinute, 2 * kMinute},
        {"following zooms at the newest reading", [chart] { chart->ZoomOutButton->click(); }, 0,
         true, -18 * kMinute, 2 * kMinute},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        now_ += step.clockStep;
        EXPECT_EQ(chart->Following(), step.following);
        EXPECT_EQ(chart->PauseButton->isChecked(), !step.following);
        EXPECT_EQ(chart->From() - kStart, step.from);
        EXPECT_EQ(chart->To() - kStart, step.to);
    }
}

TEST_F(TrendRecordTest, EveryWindowThatPollsReadingsHasATrendPerPanelAndNoOtherHasOne) {
    const auto names = [](const QString& pattern, int count, const QString& unit) {
        QStringList list;
        for (int k = 1; k <= count; ++k)
            list << pattern.arg(k, pattern.contains("DI_") ? 2 : 1, 10, QChar('0')) +
                        (unit.isEmpty() ? QString() : " (" + unit + ")");
        return list.join(',');
    };
    const QString inputs4 = names("DI_%1", 4, "");
    struct Case {
        const char* model;
        std::function<WorkWindow*()> make;
        QStringList trends;  // the CSV header of each panel's trend, without "Time,"
    };
    const Case cases[] = {
        {"ZN210", [] { return new ZN210Frm; }, {names("RTD%1", 4, "℃")}},
        {"ZN220", [] { return new ZN220Frm; }, {names("DS%1", 8, "℃")}},
        {"ZN260", [] { return new ZN260Frm; }, {names("AI_%1", 8, "mA")}},
        {"ZN270", [] { return new ZN270Frm; }, {names("VI_%1", 8, "V")}},
        {"ZN410", [] { return new ZN410Frm; }, {names("AI_%1", 6, "mA"), inputs4}},
        {"ZN420", [] { return new ZN420Frm; }, {names("VI_%1", 6, "V"), inputs4}},
        {"ZN430", [] { return new ZN430Frm; }, {names("T_%1", 4, "℃"), inputs4}},
        {"ZN310", [] { return new ZN310Frm; }, {names("DI_%1", 8, "")}},
        {"ZN330", [] { return new ZN330Frm; }, {names("DI_%1", 16, "")}},
        {"ZN350", [] { return new ZN350Frm; }, {names("DI_%1", 8, "")}},
        {"ZN230", [] { return new ZN230Frm; }, {}},
        {"ZN240", [] { return new ZN240Frm; }, {}},
        {"ZN250", [] { return new ZN250Frm; }, {}},
        {"ZN320", [] { return new ZN320Frm; }, {}},
        {"ZN340", [] { return new ZN340Frm; }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        std::unique_ptr<WorkWindow> window(c.make());
        QStringList trends;
        for (TrendFeed* feed : window->findChildren<TrendFeed*>())
            trends << QString::fromUtf8(TrendCsv::Header(feed->Channels(), true))
                          .remove(QChar(0xFEFF))
                          .remove("Time,")
                          .trimmed();
        EXPECT_EQ(trends, c.trends);
        EXPECT_EQ(window->findChildren<QPushButton*>("Command_Trend").size(), c.trends.size());
        EXPECT_EQ(window->findChildren<QPushButton*>("Command_Record").size(), c.trends.size());
    }
}
