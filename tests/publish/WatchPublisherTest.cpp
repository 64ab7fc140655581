// What the watcher's publisher sends, and when, behind a broker that records: without a network,
// so each step's publications can be held to exactly.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "core/overview/OverviewRows.h"
#include "core/publish/PublishTopics.h"
#include "core/publish/WatchPublisher.h"
#include "tests/support/QStringPrinter.h"

namespace {
class RecordingBroker : public Broker {
  public:
    struct Sent {
        QString topic;
        QByteArray payload;
        Delivery delivery;
    };
    void Start() override { ++starts; }
    void Publish(const QString& topic, const QByteArray& payload, Delivery delivery) override {
        sent.push_back({topic, payload, delivery});
    }
    void Subscribe(const QString& topic) override { subscribed << topic; }
    void Finish() override { ++finishes; }
    // What was sent since the last call, as "topic=payload" with "(r)" for a retained state and
    // "(R)" for a retained message that must be acknowledged.
    QStringList Take() {
        QStringList words;
        for (const Sent& s : sent) {
            QString payload = QString::fromUtf8(s.payload);
            if (payload.startsWith('{')) payload = "{…}";
            words << s.topic +
                         (s.delivery == Delivery::State    ? "(r)="
                          : s.delivery == Delivery::Status ? "(R)="
                                                           : "=") +
                         payload;
        }
        sent.clear();
        return words;
    }
    std::vector<Sent> sent;
    QStringList subscribed;
    int starts = 0, finishes = 0;
};

LineFile TwoModules() {
    const QByteArray json = R"({"format":"zn-line","version":1,"lines":[
        {"name":"bus 1","port":"COM1","modules":[
            {"address":1,"model":"ZN210","tag":"TT-1","limits":{"RTD1":{"high":30}}},
            {"address":2,"model":"ZN310"}]}]})";
    QString error;
    return *LineFile::Parse(json, "lines.json", true, &error);
}

ModuleReport Report(int module, ModuleStatus status, double rtd1 = NAN, int responseMs = 20) {
    ModuleReport report;
    report.module = module;
    report.status = status;
    report.timeMs = 1000;
    report.modelRead = status == ModuleStatus::Offline ? QString() : "ZN210";
    report.poll.responseMs = std::isnan(rtd1) ? -1 : responseMs;
    if (!std::isnan(rtd1))
        report.poll.channels.push_back({"RTD1", "℃", rtd1, QString::number(rtd1), 1,
                                        rtd1 > 30 ? ChannelAlarm::High : ChannelAlarm::None});
    return report;
}
}  // namespace

TEST(WatchPublisherTest, EachStepPublishesWhatChangedAndANewConnectionGetsWhatStandsNow) {
    const LineFile file = TwoModules();
    BrokerSettings settings;
    settings.url = "mqtt://127.0.0.1:1883";
    settings.clientId = "w1";
    settings.haDiscovery = true;
    RecordingBroker broker;
    WatchPublisher publisher(file, settings, &broker, true);
    int64_t now = 0;
    publisher.UseClock([&now] { return now; });
    QStringList said;
    QObject::connect(&publisher, &WatchPublisher::Said,
                     [&said](const QString& text) { said << text; });
    EXPECT_EQ(broker.starts, 1);
    EXPECT_EQ(broker.subscribed, QStringList{"homeassistant/status"});

    const QString ha1 = "homeassistant/sensor/zn_bus_1_016fca_1/";
    struct Step {
        const char* what;
        std::function<void()> act;
        QStringList sent;
        QStringList said;
    };
    const QStringList discovery1 = {ha1 + "RTD1/config(R)={…}", ha1 + "RTD2/config(R)={…}",
                                    ha1 + "RTD3/config(R)={…}", ha1 + "RTD4/config(R)={…}",
                                    ha1 + "status/config(R)={…}"};
    const std::vector<Step> steps = {
        {"a report before any connection is not kept as a backlog",
         [&] { publisher.Report(Report(0, ModuleStatus::Ok, 20)); },
         {},
         {}},
        {"the broker refuses: said once",
         [&] {
             emit broker.Lost("refused");
             emit broker.Lost("refused");
         },
         {},
         {"broker mqtt://127.0.0.1:1883 cannot be reached: refused (retrying, polling goes on)"}},
        {"connected: the watcher, what stands of each module, one not yet polled offline",
         [&] { emit broker.Connected(); },
         QStringList{"zn/watcher/w1/status(R)=online"} + discovery1 +
             QStringList{"zn/bus_1/1/availability(R)=online", "zn/bus_1/1/state(r)={…}",
                         "zn/bus_1/2/availability(R)=offline"},
         {"broker mqtt://127.0.0.1:1883: connected"}},
        {"the same readings, another response time, within the minute: nothing",
         [&] {
             now += 59999;
             publisher.Report(Report(0, ModuleStatus::Ok, 20, 35));
         },
         {},
         {}},
        {"the minute is up: the state again",
         [&] {
             now += 1;
             publisher.Report(Report(0, ModuleStatus::Ok, 20));
         },
         {"zn/bus_1/1/state(r)={…}"},
         {}},
        {"a reading over its limit: the state and the alarm, which is not retained",
         [&] { publisher.Report(Report(0, ModuleStatus::Ok, 31)); },
         {"zn/bus_1/1/state(r)={…}", "zn/bus_1/1/alarm={…}"},
         {}},
        {"failing keeps it available; its readings are gone from the state",
         [&] { publisher.Report(Report(0, ModuleStatus::Failing)); },
         {"zn/bus_1/1/state(r)={…}", "zn/bus_1/1/alarm={…}"},
         {}},
        {"offline",
         [&] { publisher.Report(Report(0, ModuleStatus::Offline)); },
         {"zn/bus_1/1/availability(R)=offline", "zn/bus_1/1/state(r)={…}", "zn/bus_1/1/alarm={…}",
          "zn/bus_1/1/alarm={…}"},
         {}},
        {"lost: said once, and nothing is sent while away",
         [&] {
             emit broker.Lost("gone");
             emit broker.Lost("gone again");
             publisher.Report(Report(0, ModuleStatus::Ok, 21));
             publisher.Report(Report(0, ModuleStatus::Ok, 22));
         },
         {},
         {"broker mqtt://127.0.0.1:1883 lost: gone (retrying, polling goes on)"}},
        {"back: the last state only",
         [&] { emit broker.Connected(); },
         QStringList{"zn/watcher/w1/status(R)=online"} + discovery1 +
             QStringList{"zn/bus_1/1/availability(R)=online", "zn/bus_1/1/state(r)={…}",
                         "zn/bus_1/2/availability(R)=offline"},
         {"broker mqtt://127.0.0.1:1883: connected"}},
        {"Home Assistant says it is back: its discovery again; other words change nothing",
         [&] {
             emit broker.Message("homeassistant/status", "offline");
             emit broker.Message("zn/bus_1/1/state", "online");
             emit broker.Message("homeassistant/status", "online");
         },
         discovery1,
         {}},
        {"the end: every module and the watcher offline, then the broker finishes",
         [&] { publisher.Finish(); },
         {"zn/bus_1/1/availability(R)=offline", "zn/bus_1/2/availability(R)=offline",
          "zn/watcher/w1/status(R)=offline"},
         {}},
    };
    for (const Step& step : steps) {
        said.clear();
        step.act();
        EXPECT_EQ(broker.Take(), step.sent) << step.what;
        EXPECT_EQ(said, step.said) << step.what;
    }
    EXPECT_EQ(broker.finishes, 1);
}

TEST(WatchPublisherTest, TheStateIsTheWatchLineAndTheLastStateHoldsOnlyTheLastPollsReadings) {
    const LineFile file = TwoModules();
    BrokerSettings settings;
    settings.clientId = "w1";
    RecordingBroker broker;
    WatchPublisher publisher(file, settings, &broker, true);
    emit broker.Connected();
    broker.Take();
    publisher.Report(Report(0, ModuleStatus::Ok, 31.5));
    publisher.Report(Report(0, ModuleStatus::Failing));
    std::vector<QJsonObject> states, alarms;
    for (const RecordingBroker::Sent& sent : broker.sent) {
        const QJsonObject object = QJsonDocument::fromJson(sent.payload).object();
        if (sent.topic.endsWith("/state")) states.push_back(object);
        if (sent.topic.endsWith("/alarm")) alarms.push_back(object);
    }
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].keys(), (QStringList{"address", "channels", "line", "model", "responseMs",
                                             "status", "tag", "time"}));
    const QJsonObject rtd1 = states[0]["channels"].toObject()["RTD1"].toObject();
    EXPECT_EQ(rtd1["value"].toDouble(), 31.5);
    EXPECT_EQ(rtd1["unit"].toString(), "℃");
    EXPECT_EQ(rtd1["alarm"].toString(), "high");
    EXPECT_EQ(states[1]["status"].toString(), "failing");
    EXPECT_TRUE(states[1]["channels"].toObject().isEmpty()) << "a reading older than the poll";
    EXPECT_TRUE(states[1]["responseMs"].isNull());
    ASSERT_EQ(alarms.size(), 2u);
    EXPECT_EQ(alarms[0]["channel"].toString(), "RTD1");
    EXPECT_EQ(alarms[0]["event"].toString(), "raised");
    EXPECT_EQ(alarms[0]["limit"].toString(), "high 30");
    EXPECT_EQ(alarms[0]["address"].toInt(), 1);
    EXPECT_EQ(alarms[1]["alarm"].toString(), "failing");
    EXPECT_TRUE(alarms[1]["channel"].isNull());
}

TEST(WatchPublisherTest, TopicLevelsAndIdsKeepNamesApartAndFreeOfWildcards) {
    const struct {
        QString name;
        QString level;
    } cases[] = {
        {"bus 1", "bus_1"},   {"a/b", "a_b"}, {"x+#", "x__"},
        {"线路一", "线路一"}, {"", "_"},      {"tab\there", "tab_here"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PublishTopics::Level(c.name), c.level) << c.name.toStdString();
}

TEST(WatchPublisherTest, NamesAndValuesAreWrittenAsJsonStringsAnyReaderTakesBack) {
    const struct {
        QString text;
        QByteArray json;
    } cases[] = {
        {"TT-901", R"("TT-901")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\plant", R"("C:\\plant")"},
        {"a\tb\nc\r", R"("a\tb\nc\r")"},
        {QString(QChar(0x01)) + QChar(0x1f), R"("\u0001\u001f")"},
        {"线路一 ℃ 😀", "\"线路一 ℃ 😀\""},
        {"", R"("")"},
    };
    for (const auto& c : cases) {
        const QByteArray json = OverviewRows::JsonString(c.text);
        EXPECT_EQ(json, c.json) << c.text.toStdString();
        QJsonParseError error;
        const QJsonDocument read = QJsonDocument::fromJson('[' + json + ']', &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << json.toStdString();
        EXPECT_EQ(read.array().at(0).toString(), c.text);
    }
}
