// The overview window's Publish: its dialog's broker checked as the watcher checks it, kept for
// the next time, and what the window polls arriving at Debian's mosquitto, read by mosquitto_sub.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "base/SettingsFiles.h"
#include "base/Switches.h"
#include "core/line/SerialPort.h"
#include "tests/support/Mosquitto.h"
#include "tests/support/Peers.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TurnUntil.h"
#include "windows/overview/LineOverviewWindow.h"
#include "windows/overview/OverviewEditors.h"

TEST(OverviewPublishTest, TheDialogsBrokerIsCheckedKeptAndFedWhatThePollsFind) {
    for (const char* peer : {"mosquitto", "mosquitto_sub"})
        ZN_NEED_PEER(!FindTool(peer).isEmpty(), peer);
    RecordingPlatform platform;
    ScratchSys sys;
    Switches().EnglishUi = 1;
    QTemporaryDir dir;
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--bus", dir.filePath("COM1"), "--module", "ZN210,addr=3"}));
    Mosquitto broker;
    ASSERT_TRUE(broker.Start(dir.path())) << broker.Output().toStdString();
    QFile lines(dir.filePath("plant.json"));
    ASSERT_TRUE(lines.open(QIODevice::WriteOnly));
    lines.write(QString(R"({"format":"zn-line","version":1,"lines":[
        {"name":"bus 1","port":"%1","waitMs":500,"modules":[{"address":3,"model":"ZN210"}]}]})")
                    .arg(dir.filePath("COM1"))
                    .toUtf8());
    lines.close();
    LineOverviewWindow overview;
    ASSERT_TRUE(overview.Load(dir.filePath("plant.json")));
    EXPECT_EQ(overview.Command_Publish->text(), "Publish");

    // Each press asks, the form showing what was chosen the time before.
    struct Case {
        QString url, prefix;
        bool published;
        QString said;
    };
    const std::vector<Case> cases = {
        {"mqtt:/nowhere", "zn", false,
         "broker 'mqtt:/nowhere': not mqtt://HOST[:PORT] or mqtts://HOST[:PORT]"},
        {broker.Url(), "plant/zn", true, ""},
    };
    QString shownBefore;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        platform.messages.clear();
        SetEditorAnswer([&](QDialog& dialog) {
            auto* url = dialog.findChild<QLineEdit*>("Text_Broker");
            shownBefore = url->text();
            url->setText(c.url);
            dialog.findChild<QLineEdit*>("Text_Prefix")->setText(c.prefix);
            dialog.findChild<QLineEdit*>("Text_ClientId")->setText("bench");
            return int(QDialog::Accepted);
        });
        overview.Command_Publish->click();
        // The form comes once the press has returned.
        ASSERT_TRUE(TurnUntil([&] { return overview.Publishing() || !platform.messages.empty(); }));
        SetEditorAnswer({});
        EXPECT_EQ(overview.Publishing(), c.published);
        EXPECT_EQ(overview.Command_Publish->isChecked(), c.published);
        EXPECT_EQ(platform.messages.value(0), c.said);
    }
    EXPECT_EQ(shownBefore, "mqtt:/nowhere");
    EXPECT_EQ(SettingsFiles::ReadLines("sys/publish.rc", 3),
              (QStringList{broker.Url(), "plant/zn", "bench"}));

    MqttSubscriber sub;
    ASSERT_TRUE(sub.Start(broker.Port(), {"plant/zn/#"}));
    overview.Command_Start_Click();
    ASSERT_TRUE(sub.WaitFor([](const std::vector<MqttMessage>& messages) {
        for (const MqttMessage& m : messages)
            if (m.topic == "plant/zn/bus_1/3/state" && m.payload.contains("\"RTD1\"")) return true;
        return false;
    })) << overview.Label_Publish->text().toStdString();
    EXPECT_TRUE(overview.Label_Publish->text().contains("Publishing to " + broker.Url()));

    // Unpressed: the module and the watcher go offline, and the polls go on unpublished.
    overview.Command_Publish->click();
    EXPECT_FALSE(overview.Publishing());
    ASSERT_TRUE(sub.WaitFor([](const std::vector<MqttMessage>& messages) {
        return !messages.empty() && messages.back().topic == "plant/zn/watcher/bench/status" &&
               messages.back().payload == "offline";
    }));
    EXPECT_TRUE(overview.Running());
    overview.Command_Start_Click();
    SerialPort::ClosePort();
}
