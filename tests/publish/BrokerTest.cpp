// The watcher publishing to Debian's mosquitto on 127.0.0.1, the simulator's modules on its
// lines, and mosquitto_sub (never this program's code) saying what arrived.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <map>
#include <set>

#include "cli/CommandLine.h"
#include "core/line/SerialPort.h"
#include "tests/support/Mosquitto.h"
#include "tests/support/Peers.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TurnUntil.h"

namespace {
bool Has(const std::vector<MqttMessage>& messages, const QString& topic, const QByteArray& payload,
         std::optional<bool> retained = std::nullopt) {
    for (const MqttMessage& m : messages)
        if (m.topic == topic && (payload.isEmpty() || m.payload == payload) &&
            (!retained || m.retained == *retained))
            return true;
    return false;
}

QJsonObject Json(const QByteArray& payload) {
    return QJsonDocument::fromJson(payload).object();
}

class BrokerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath("sys"));
        QFile set2(dir_.filePath("sys/set2.rc"));
        ASSERT_TRUE(set2.open(QIODevice::WriteOnly));
        set2.write("0\r\n1\r\n1\r\n");  // English
        set2.close();
        for (const char* peer : {"mosquitto", "mosquitto_sub", "mosquitto_pub", "mosquitto_passwd"})
            ZN_NEED_PEER(!FindTool(peer).isEmpty(), peer);
    }
    void TearDown() override {
        if (watcher_.state() != QProcess::NotRunning) {
            watcher_.kill();
            watcher_.waitForFinished(5000);
        }
    }
    void WriteFile(const QString& name, const QByteArray& content) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void StartSim(const QStringList& args) {
        ASSERT_TRUE(sim_.Start(QStringList{"--verbose"} + args)) << sim_.Output().toStdString();
    }
    // zntool watch on lines.json, publishing to the broker with `more` options.
    void StartWatcher(const QStringList& more) {
        watcher_.setWorkingDirectory(dir_.path());
        watcher_.start(QCoreApplication::applicationDirPath() + "/zntool",
                       QStringList{"watch", "--line", "lines.json", "--format", "json", "--lang",
                                   "en", "--mqtt", broker_.Url()} +
                           more);
        ASSERT_TRUE(watcher_.waitForStarted(5000));
    }
    // What the watcher said on standard error so far.
    QString Said() {
        said_ += QString::fromUtf8(watcher_.readAllStandardError());
        return said_;
    }
    int Polls() {
        polls_ += watcher_.readAllStandardOutput().count('\n');
        return polls_;
    }
    bool WaitUntilSaid(const QString& text) {
        return TurnUntil([&] { return Said().contains(text); }, 60000);
    }
    // The retained messages under `topics` that a new subscriber gets now.
    std::vector<MqttMessage> Retained(const QStringList& topics) {
        MqttSubscriber sub;
        EXPECT_TRUE(sub.Start(broker_.Port(), topics, true));
        // It ends at the first fresh message, which a live watcher soon sends.
        EXPECT_TRUE(sub.WaitForEnd());
        std::vector<MqttMessage> retained;
        for (const MqttMessage& m : sub.Messages())
            if (m.retained) retained.push_back(m);
        return retained;
    }

    QTemporaryDir dir_;
    SimProcess sim_;
    Mosquitto broker_;
    QProcess watcher_;
    QString said_;
    int polls_ = 0;
};

const QByteArray kBus = R"({"format":"zn-line","version":1,"lines":[
    {"name":"bus 1","port":"COM1","waitMs":1000,"modules":[
        {"address":1,"model":"ZN210","tag":"TT-1"},
        {"address":2,"model":"ZN310","limits":{"DI_01":{"high":0.5}}},
        {"address":9,"model":"ZN210","tag":"absent"}]},
    {"name":"bench","port":"COM2","waitMs":1000,"modules":[{"address":1,"model":"ZN210"}]}]})";
}  // namespace

TEST_F(BrokerTest, EveryModuleHasItsRetainedStateAndAvailabilityAlarmsComeAndALeaverGoesOffline) {
    ASSERT_TRUE(broker_.Start(dir_.path())) << broker_.Output().toStdString();
    // The bench's module leaves half a second after it was first reached, and its successor
    // comes four seconds later.
    StartSim({"--bus", dir_.filePath("sys/COM1"), "--module", "ZN210,addr=1", "--module",
              "ZN310,addr=2", "--bench", dir_.filePath("sys/COM2"), "--pause", "500", "--gap",
              "4000", "--module", "ZN210", "--module", "ZN210"});
    WriteFile("lines.json", kBus);
    MqttSubscriber live;
    ASSERT_TRUE(live.Start(broker_.Port(), {"zn/#"}));
    StartWatcher({"--mqtt-id", "w1"});

    // The bench's module goes offline and comes back; DI_01 of address 2 toggles every second.
    ASSERT_TRUE(live.WaitFor([](const std::vector<MqttMessage>& messages) {
        QByteArrayList bench;
        for (const MqttMessage& m : messages)
            if (m.topic == "zn/bench/1/availability" &&
                (bench.isEmpty() || bench.back() != m.payload))
                bench << m.payload;
        return bench.size() >= 3 && Has(messages, "zn/bus_1/2/alarm", {}) &&
               std::count_if(messages.begin(), messages.end(), [](const MqttMessage& m) {
                   return m.topic == "zn/bus_1/2/alarm" &&
                          Json(m.payload)["event"].toString() == "cleared";
               }) > 0;
    })) << Said().toStdString();
    QByteArrayList bench;
    for (const MqttMessage& m : live.Messages())
        if (m.topic == "zn/bench/1/availability" && (bench.isEmpty() || bench.back() != m.payload))
            bench << m.payload;
    EXPECT_EQ(bench.mid(0, 4), (QByteArrayList{"offline", "online", "offline", "online"})
                                   .mid(0, bench.size() >= 4 ? 4 : 3))
        << "not yet polled, answered, left, back";

    // Alarms: raised and cleared, never retained, as the alarm file's row.
    std::set<QString> events;
    for (const MqttMessage& m : live.Messages()) {
        if (m.topic != "zn/bus_1/2/alarm") continue;
        EXPECT_FALSE(m.retained);
        const QJsonObject alarm = Json(m.payload);
        EXPECT_EQ(alarm["channel"].toString(), "DI_01");
        EXPECT_EQ(alarm["limit"].toString(), "high 0.5");
        EXPECT_EQ(alarm["address"].toInt(), 2);
        events.insert(alarm["event"].toString() + ":" + alarm["value"].toString());
    }
    EXPECT_EQ(events, (std::set<QString>{"raised:1", "cleared:0"}));

    // What a newcomer finds: every module's state and availability, and the watcher online.
    std::map<QString, QByteArray> retained;
    for (const MqttMessage& m : Retained({"zn/#"})) retained[m.topic] = m.payload;
    EXPECT_EQ(retained["zn/watcher/w1/status"], "online");
    EXPECT_EQ(retained["zn/bus_1/1/availability"], "online");
    EXPECT_EQ(retained["zn/bus_1/2/availability"], "online");
    EXPECT_EQ(retained["zn/bus_1/9/availability"], "offline");
    const QJsonObject tt1 = Json(retained["zn/bus_1/1/state"]);
    EXPECT_EQ(tt1["tag"].toString(), "TT-1");
    EXPECT_EQ(tt1["model"].toString(), "ZN210");
    EXPECT_EQ(tt1["status"].toString(), "ok");
    EXPECT_EQ(tt1["channels"].toObject()["RTD1"].toObject()["unit"].toString(), "℃");
    EXPECT_TRUE(tt1["channels"].toObject()["RTD4"].toObject()["value"].isDouble());
    EXPECT_EQ(Json(retained["zn/bus_1/2/state"])["channels"].toObject().size(), 8);
    EXPECT_EQ(Json(retained["zn/bus_1/9/state"])["status"].toString(), "offline");
    EXPECT_FALSE(retained.count("zn/bus_1/2/alarm"));

    // Ended: every module and the watcher read offline.
    ::kill(static_cast<pid_t>(watcher_.processId()), SIGINT);
    ASSERT_TRUE(watcher_.waitForFinished(30000));
    EXPECT_EQ(watcher_.exitCode(), 0) << Said().toStdString();
    retained.clear();
    MqttSubscriber after;
    ASSERT_TRUE(after.Start(broker_.Port(), {"zn/+/+/availability", "zn/watcher/#"}));
    ASSERT_TRUE(after.WaitFor([](const std::vector<MqttMessage>& m) { return m.size() >= 5; }));
    for (const MqttMessage& m : after.Messages())
        EXPECT_EQ(m.payload, "offline") << m.topic.toStdString();
}

TEST_F(BrokerTest, AKilledWatcherGoesOfflineByItsWillAndAReturningBrokerGetsTheStateAgain) {
    ASSERT_TRUE(broker_.Start(dir_.path()));
    StartSim({"--bus", dir_.filePath("sys/COM1"), "--module", "ZN210,addr=1"});
    WriteFile("lines.json", R"({"format":"zn-line","version":1,"lines":[
        {"name":"bus 1","port":"COM1","modules":[{"address":1,"model":"ZN210"}]}]})");
    MqttSubscriber first;
    ASSERT_TRUE(first.Start(broker_.Port(), {"zn/#"}));
    StartWatcher({"--mqtt-id", "w2"});
    ASSERT_TRUE(first.WaitFor(
        [](const std::vector<MqttMessage>& m) { return Has(m, "zn/bus_1/1/state", {}); }));

    // The broker goes away: said once, polling goes on, and the retries find it back.
    broker_.Stop();
    ASSERT_TRUE(WaitUntilSaid(" lost: ")) << Said().toStdString();
    const int pollsWhenLost = Polls();
    ASSERT_TRUE(TurnUntil([&] { return Polls() >= pollsWhenLost + 20; }));
    ASSERT_TRUE(broker_.Start(dir_.path()));
    MqttSubscriber second;
    ASSERT_TRUE(second.Start(broker_.Port(), {"zn/#"}));
    // A broker without persistence lost every retained message: the watcher sends them again.
    ASSERT_TRUE(second.WaitFor([](const std::vector<MqttMessage>& m) {
        return Has(m, "zn/watcher/w2/status", "online") &&
               Has(m, "zn/bus_1/1/availability", "online") && Has(m, "zn/bus_1/1/state", {});
    })) << Said().toStdString();
    ASSERT_TRUE(WaitUntilSaid("connected"));
    EXPECT_EQ(Said().count(" lost: "), 1) << Said().toStdString();
    EXPECT_EQ(Said().count("cannot be reached"), 0) << "each failed retry is not said again";

    watcher_.kill();
    ASSERT_TRUE(watcher_.waitForFinished(10000));
    ASSERT_TRUE(second.WaitFor([](const std::vector<MqttMessage>& m) {
        return Has(m, "zn/watcher/w2/status", "offline");
    }));
    MqttSubscriber newcomer;
    ASSERT_TRUE(newcomer.Start(broker_.Port(), {"zn/watcher/#"}));
    ASSERT_TRUE(newcomer.WaitFor([](const std::vector<MqttMessage>& m) { return !m.empty(); }));
    EXPECT_TRUE(newcomer.Messages()[0].retained);
    EXPECT_EQ(newcomer.Messages()[0].payload, "offline");
}

TEST_F(BrokerTest, ABrokerThatWantsAPasswordTakesTheOneInTheFileAndRefusesAWrongOne) {
    ASSERT_TRUE(broker_.Start(dir_.path(), "plant", "s3cret word"));
    StartSim({"--bus", dir_.filePath("sys/COM1"), "--module", "ZN210,addr=1"});
    WriteFile("lines.json", R"({"format":"zn-line","version":1,"lines":[
        {"name":"bus 1","port":"COM1","modules":[{"address":1,"model":"ZN210"}]}]})");
    WriteFile("wrong.auth", "plant\nguess\n");
    StartWatcher({"--mqtt-auth", "wrong.auth", "--seconds", "4"});
    ASSERT_TRUE(watcher_.waitForFinished(30000));
    EXPECT_EQ(watcher_.exitCode(), 0);
    EXPECT_EQ(Said().count("not authorised"), 1) << Said().toStdString();
    EXPECT_GT(Polls(), 5) << "polling goes on";

    said_.clear();
    WriteFile("right.auth", "plant\r\ns3cret word\r\n");
    StartWatcher({"--mqtt-auth", "right.auth", "--mqtt-id", "w3"});
    // mosquitto_sub must log in as well: it is started with the user through a password
    // given on its command line, as a subscriber on a bench does.
    QProcess sub;
    sub.start(FindTool("mosquitto_sub"),
              {"-h", "127.0.0.1", "-p", QString::number(broker_.Port()), "-u", "plant", "-P",
               "s3cret word", "-v", "-C", "1", "-t", "zn/bus_1/1/state"});
    ASSERT_TRUE(sub.waitForFinished(30000));
    EXPECT_EQ(sub.exitCode(), 0);
    EXPECT_TRUE(sub.readAllStandardOutput().startsWith("zn/bus_1/1/state {"));
    EXPECT_FALSE(Said().contains("not authorised")) << Said().toStdString();
}

TEST_F(BrokerTest, AnMqttsBrokerIsReachedThroughItsAuthorityAndRefusedWithoutIt) {
    ZN_NEED_PEER(!FindTool("openssl").isEmpty(), "openssl");
    // A test authority of our own, and the broker's certificate for 127.0.0.1 signed by it.
    const QString d = dir_.path();
    const auto openssl = [](const QString& args) {
        return RunTool(FindTool("openssl"), args.split(' '), 60000).exitCode == 0;
    };
    WriteFile("ext", "subjectAltName=IP:127.0.0.1\n");
    ASSERT_TRUE(openssl("req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=zn-test-ca -keyout " +
                        d + "/ca.key -out " + d + "/ca.pem"));
    ASSERT_TRUE(openssl("req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout " + d +
                        "/server.key -out " + d + "/server.csr"));
    ASSERT_TRUE(openssl("x509 -req -days 2 -in " + d + "/server.csr -CA " + d + "/ca.pem -CAkey " +
                        d + "/ca.key -CAcreateserial -extfile " + d + "/ext -out " + d +
                        "/server.pem"));
    ASSERT_TRUE(broker_.Start(d, {}, {},
                              QString("cafile %1/ca.pem\ncertfile %1/server.pem\nkeyfile "
                                      "%1/server.key\n")
                                  .arg(d)));
    StartSim({"--bus", dir_.filePath("sys/COM1"), "--module", "ZN210,addr=1"});
    WriteFile("lines.json", R"({"format":"zn-line","version":1,"lines":[
        {"name":"bus 1","port":"COM1","modules":[{"address":1,"model":"ZN210"}]}]})");
    const QString url = QString("mqtts://127.0.0.1:%1").arg(broker_.Port());

    // Without its authority the certificate is not trusted: said once, polled on.
    watcher_.setWorkingDirectory(d);
    watcher_.start(
        QCoreApplication::applicationDirPath() + "/zntool",
        {"watch", "--line", "lines.json", "--lang", "en", "--seconds", "3", "--mqtt", url});
    ASSERT_TRUE(watcher_.waitForFinished(30000));
    EXPECT_EQ(Said().count("cannot be reached: A TLS error occurred."), 1) << Said().toStdString();
    EXPECT_GT(Polls(), 3);

    QProcess sub;
    sub.start(FindTool("mosquitto_sub"),
              {"-h", "127.0.0.1", "-p", QString::number(broker_.Port()), "--cafile", d + "/ca.pem",
               "-v", "-C", "1", "-t", "zn/bus_1/1/state"});
    ASSERT_TRUE(sub.waitForStarted(5000));
    said_.clear();
    watcher_.start(
        QCoreApplication::applicationDirPath() + "/zntool",
        {"watch", "--line", "lines.json", "--lang", "en", "--mqtt", url, "--mqtt-ca", "ca.pem"});
    ASSERT_TRUE(sub.waitForFinished(30000)) << Said().toStdString();
    EXPECT_TRUE(sub.readAllStandardOutput().startsWith("zn/bus_1/1/state {"));
    EXPECT_FALSE(Said().contains("cannot be reached")) << Said().toStdString();
}

TEST_F(BrokerTest, HomeAssistantFindsEachModelOnceReadAndAgainWhenItComesBack) {
    ASSERT_TRUE(broker_.Start(dir_.path()));
    const QStringList models = {"ZN210", "ZN220", "ZN230", "ZN240", "ZN250",
                                "ZN260", "ZN270", "ZN310", "ZN320", "ZN330",
                                "ZN340", "ZN350", "ZN410", "ZN420", "ZN430"};
    QStringList simArgs = {"--bus", dir_.filePath("sys/COM1")};
    QByteArray modules;
    for (int i = 0; i < models.size(); ++i) {
        simArgs << "--module" << QString("%1,addr=%2").arg(models[i]).arg(i + 1);
        modules += QString(R"({"address":%1,"model":"%2","tag":"T%1"},)")
                       .arg(i + 1)
                       .arg(models[i])
                       .toUtf8();
    }
    StartSim(simArgs);
    WriteFile(
        "lines.json", R"({"format":"zn-line","version":1,"lines":[{"name":"bus 1","port":"COM1",
        "modules":[)" + modules +
                          R"({"address":40,"model":"ZN210","tag":"never"}]}]})");
    MqttSubscriber live;
    ASSERT_TRUE(live.Start(broker_.Port(), {"ha/#"}));
    StartWatcher({"--mqtt-id", "w4", "--ha-discovery", "ha"});
    const auto statusConfigs = [](const std::vector<MqttMessage>& messages) {
        int count = 0;
        for (const MqttMessage& m : messages) count += m.topic.endsWith("/status/config");
        return count;
    };
    ASSERT_TRUE(live.WaitFor([&](const std::vector<MqttMessage>& m) {
        return statusConfigs(m) >= models.size();
    })) << Said().toStdString();

    // Per model: the sensors of its measurements, with their unit and class, and a binary
    // sensor per digital input.
    const struct {
        const char* model;
        int sensors;
        const char* unit;
        const char* deviceClass;
        int binaries;
    } expected[] = {
        {"ZN210", 4, "°C", "temperature", 0},
        {"ZN220", 8, "°C", "temperature", 0},
        {"ZN230", 0, "", "", 0},
        {"ZN240", 0, "", "", 0},
        {"ZN250", 0, "", "", 0},
        {"ZN260", 8, "mA", "current", 0},
        {"ZN270", 8, "V", "voltage", 0},
        {"ZN310", 0, "", "", 8},
        {"ZN320", 0, "", "", 0},
        {"ZN330", 0, "", "", 16},
        {"ZN340", 0, "", "", 0},
        {"ZN350", 0, "", "", 8},
        {"ZN410", 6, "mA", "current", 4},
        {"ZN420", 6, "V", "voltage", 4},
        {"ZN430", 4, "°C", "temperature", 4},
    };
    std::map<QString, QJsonObject> configs;
    for (const MqttMessage& m : live.Messages()) configs[m.topic] = Json(m.payload);
    // Retained, so that Home Assistant finds them whenever it comes.
    MqttSubscriber newcomer;
    ASSERT_TRUE(newcomer.Start(broker_.Port(), {"ha/#"}));
    ASSERT_TRUE(newcomer.WaitFor(
        [&](const std::vector<MqttMessage>& m) { return m.size() >= configs.size(); }));
    for (const MqttMessage& m : newcomer.Messages())
        EXPECT_TRUE(m.retained) << m.topic.toStdString();
    for (int i = 0; i < models.size(); ++i) {
        const QString state = QString("zn/bus_1/%1/state").arg(i + 1);
        int sensors = 0, binaries = 0, status = 0;
        for (const auto& [topic, config] : configs) {
            if (config["state_topic"].toString() != state) continue;
            SCOPED_TRACE(topic.toStdString());
            const QJsonObject device = config["device"].toObject();
            EXPECT_EQ(device["model"].toString(), models[i]);
            EXPECT_EQ(device["name"].toString(), QString("T%1 @%1").arg(i + 1));
            EXPECT_FALSE(device["identifiers"].toArray().isEmpty());
            EXPECT_FALSE(config["unique_id"].toString().isEmpty());
            QStringList availability;
            for (const QJsonValue& a : config["availability"].toArray())
                availability << a.toObject()["topic"].toString();
            if (topic.endsWith("/status/config")) {
                ++status;
                EXPECT_EQ(availability, QStringList{"zn/watcher/w4/status"});
                continue;
            }
            EXPECT_EQ(availability, (QStringList{QString("zn/bus_1/%1/availability").arg(i + 1),
                                                 "zn/watcher/w4/status"}));
            if (topic.startsWith("ha/binary_sensor/")) {
                ++binaries;
                EXPECT_EQ(config["payload_on"].toString(), "1");
                continue;
            }
            ASSERT_TRUE(topic.startsWith("ha/sensor/"));
            ++sensors;
            EXPECT_EQ(config["unit_of_measurement"].toString(), expected[i].unit);
            EXPECT_EQ(config["device_class"].toString(), expected[i].deviceClass);
        }
        EXPECT_EQ(status, 1) << models[i].toStdString();
        EXPECT_EQ(sensors, expected[i].sensors) << models[i].toStdString();
        EXPECT_EQ(binaries, expected[i].binaries) << models[i].toStdString();
    }
    for (const auto& [topic, config] : configs)
        EXPECT_NE(config["state_topic"].toString(), "zn/bus_1/40/state")
            << "a module never read is never announced";

    // Home Assistant restarted: it is told again.
    const int before = statusConfigs(live.Messages());
    ASSERT_TRUE(MqttPublish(broker_.Port(), "ha/status", "online"));
    ASSERT_TRUE(live.WaitFor([&](const std::vector<MqttMessage>& m) {
        return statusConfigs(m) >= before + models.size();
    }));
}

TEST_F(BrokerTest, ABrokerSettingThatCannotBeUsedEndsTheWatchWithTwoAndNothingPolled) {
    StartSim({"--bus", dir_.filePath("sys/COM1"), "--module", "ZN210,addr=1"});
    WriteFile("lines.json", R"({"format":"zn-line","version":1,"lines":[
        {"name":"bus 1","port":"COM1","modules":[{"address":1,"model":"ZN210"}]},
        {"name":"bus/1","port":"COM5","enabled":false,"modules":[{"address":2,"model":"ZN210"}]}]})");
    WriteFile("empty.auth", "\npassword\n");
    WriteFile("ca.pem", "-----BEGIN CERTIFICATE-----\n");
    const QString watch = "watch --line lines.json --seconds 1 --lang en ";
    const struct {
        QString args;
        QString message;
    } cases[] = {
        {"--mqtt http://127.0.0.1", "broker 'http://127.0.0.1': not mqtt://HOST[:PORT]"},
        {"--mqtt mqtt://", "broker 'mqtt://': not mqtt://HOST[:PORT]"},
        {"--mqtt mqtt://127.0.0.1:99999", "broker 'mqtt://127.0.0.1:99999'"},
        {"--mqtt mqtt://127.0.0.1/plant", "broker 'mqtt://127.0.0.1/plant'"},
        {"--mqtt mqtts://127.0.0.1 --mqtt-ca missing.pem", "--mqtt-ca: missing.pem cannot be read"},
        {"--mqtt mqtts://127.0.0.1 --mqtt-ca sys", "--mqtt-ca: sys cannot be read"},
        {"--mqtt mqtt://127.0.0.1 --mqtt-ca ca.pem", "--mqtt-ca: the broker is mqtt://"},
        {"--mqtt mqtt://127.0.0.1 --mqtt-auth missing.auth",
         "--mqtt-auth: missing.auth cannot be read"},
        {"--mqtt mqtt://127.0.0.1 --mqtt-auth empty.auth", "empty.auth holds no user name"},
        {"--mqtt mqtt://127.0.0.1 --mqtt-prefix zn/#", "--mqtt-prefix: 'zn/#' is not a topic"},
        {"--mqtt mqtt://127.0.0.1 --mqtt-prefix /zn", "--mqtt-prefix: '/zn' is not a topic"},
        {"--mqtt-prefix plant", "--mqtt: required"},
        {"--ha-discovery", "--mqtt: required"},
        {"--mqtt mqtt://127.0.0.1 --ha-discovery ha/+", "--ha-discovery: 'ha/+' is not a topic"},
    };
    const QString home = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.toStdString());
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int code =
            CommandLine::Run((watch + c.args).split(' ', Qt::SkipEmptyParts), outStream, errStream);
        errStream.flush();
        EXPECT_EQ(code, 2);
        EXPECT_TRUE(err.contains(c.message)) << err.toStdString();
        SerialPort::ClosePort();
    }
    // The line file's own names: two lines whose topics would be one.
    WriteFile("lines.json", R"({"format":"zn-line","version":1,"lines":[
        {"name":"bus 1","port":"COM1","modules":[{"address":1,"model":"ZN210"}]},
        {"name":"bus/1","port":"COM5","modules":[{"address":2,"model":"ZN210"}]}]})");
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    EXPECT_EQ(
        CommandLine::Run((watch + "--mqtt mqtt://127.0.0.1").split(' '), outStream, errStream), 2);
    errStream.flush();
    EXPECT_TRUE(err.contains("lines \"bus 1\" and \"bus/1\" would publish under the same topic"))
        << err.toStdString();
    QDir::setCurrent(home);
    EXPECT_FALSE(sim_.Output().contains(" <- ")) << "polled: " << sim_.Output().toStdString();
}
