// The core without widgets finds, scans and polls modules on its own: what the command line and
// the network lines stand on. This program links the core's rooms and base/ and nothing that draws.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/modules/AnalogCodec.h"
#include "core/scan/BusScan.h"
#include "core/exchange/Exchange.h"
#include "core/scan/ParameterSearch.h"
#include "core/line/SerialPort.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/SimProcess.h"

namespace {
class HeadlessCore : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(QCoreApplication::instance()->inherits("QGuiApplication"));
        Switches() = StartupSwitches{};
        Switches().EnglishUi = 1;
        TextTable::Fill(true);
        ASSERT_TRUE(dir_.isValid());
        line_ = dir_.filePath("COM1");
    }
    void TearDown() override { SerialPort::ClosePort(); }

    void StartSim(const QStringList& modules) {
        QStringList args = {"--freeze", "12.5", "--bus", line_};
        for (const QString& spec : modules) args << "--module" << spec;
        ASSERT_TRUE(sim_.Start(args)) << sim_.Output().toStdString();
    }

    QTemporaryDir dir_;
    QString line_;
    SimProcess sim_;
};
}  // namespace

TEST_F(HeadlessCore, SearchFindsTheModulesSettingsByTheCandidatesInTurn) {
    // Odd parity: a pseudo-terminal carries it, where even parity reads as none.
    StartSim({"ZN260,addr=5,baud=19200,parity=O"});
    std::vector<SerialCandidate> tried;
    ParameterSearch search(true);
    const auto found = search.Run(
        line_, 300, 0, [&](int, const SerialCandidate& candidate) { tried.push_back(candidate); });
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->settings, (SerialCandidate{19200, 'O'}));
    EXPECT_EQ(found->step, static_cast<int>(tried.size()));
    EXPECT_EQ(tried.front(), search.Candidate(0));
    EXPECT_EQ(ModuleParametersText::Lines(found->parameters),
              "Address: 5\r\nParameters: 19200,Odd,8,1\r\nModel: ZN260");
}

TEST_F(HeadlessCore, ScanListsEveryModuleOnTheLineAndNothingElse) {
    StartSim({"ZN210,addr=2", "ZN330,addr=7", "ZN410,addr=9", "ZN230,addr=12,baud=19200"});
    ScanPlan plan(1, 12, {{9600, 'N'}}, 0);
    ScanRows rows;
    int probes = 0;
    ASSERT_TRUE(BusScan::Run(line_, plan, rows, [&](const ScanProbe&) { ++probes; }));
    EXPECT_EQ(probes, 12);
    std::vector<std::pair<int, QString>> found;
    for (const ScanRow& row : rows.Rows())
        found.push_back({row.address, ModuleParametersText::ModelOfCode(row.registers.modelCode)});
    EXPECT_EQ(found,
              (std::vector<std::pair<int, QString>>{{2, "ZN210"}, {7, "ZN330"}, {9, "ZN410"}}));
    for (const ScanRow& row : rows.Rows()) EXPECT_FALSE(row.Mismatch()) << row.address;
}

TEST_F(HeadlessCore, PollsAZn210AndDecodesItsTemperaturesAsTheWindowShowsThem) {
    StartSim({"ZN210,addr=3"});
    ASSERT_TRUE(SerialPort::OpenPort(line_, "9600,N,8,1"));
    Exchange exchange;
    QStringList first;
    for (int poll = 0; poll < 3; ++poll) {
        exchange.SetCause(TrafficCause::PollA);
        exchange.Send(AnalogCodec::PollRequest(3, 4));
        EXPECT_EQ(exchange.SentText, "03 03 00 00 00 04 45 EB ");
        ASSERT_TRUE(SerialPort::WaitForInput(3000));
        exchange.Collect();
        ASSERT_EQ(exchange.Judge({AnalogCodec::PollReplyBytes(4)}), ReplyVerdict::Accepted)
            << exchange.ReceivedText.toStdString();
        QStringList texts;
        const Frame bytes = BytesOfText(exchange.ReceivedText);
        const auto readings = AnalogCodec::ReadingsOfReply(AnalogCodec::ReadingKind::RtdTenths,
                                                           exchange.ReceivedText, 4);
        ASSERT_EQ(readings.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            // Register k, big-endian after address, function and count: tenths of a degree
            // over -55.
            const int raw = bytes[3 + 2 * k] << 8 | bytes[4 + 2 * k];
            EXPECT_EQ(readings[k].raw, raw);
            EXPECT_EQ(readings[k].reading.text, QString::number(raw / 10.0 - 55, 'f', 1) + "℃");
            texts << readings[k].reading.text;
        }
        if (poll == 0) first = texts;
        EXPECT_EQ(texts, first);  // frozen inputs read the same at every poll
        const SerialPort::ReadTiming timing = SerialPort::LastReadTiming();
        EXPECT_GE(timing.firstByteUs, SerialPort::LastRequestEndUs() - 1000);
    }
    EXPECT_EQ(first.size(), 4);
}
