// The simulator against mbpoll, a Modbus master no one here wrote: what mbpoll reads and writes
// must agree with the simulator's register map.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "sim/SimModule.h"
#include "tests/support/Peers.h"
#include "tests/support/SimProcess.h"

namespace {
class MbpollPeer : public ::testing::Test {
  protected:
    void SetUp() override {
        mbpoll_ = FindTool("mbpoll");
        ZN_NEED_PEER(!mbpoll_.isEmpty(), "mbpoll");
        line_ = dir_.path() + "/COM1";
    }

    void StartSim(const QString& modules, double frozenAt = 12.5) {
        QStringList args = {"--freeze", QString::number(frozenAt), "--bus", line_};
        for (const QString& spec : modules.split(' ')) args << "--module" << spec;
        ASSERT_TRUE(sim_.Start(args)) << sim_.Output().toStdString();
    }

    // One mbpoll run at 9600 8N1 unless `line` says otherwise; "-0" numbers registers from 0.
    // Values to write follow the device on mbpoll's command line.
    ToolRun Mbpoll(const QString& options, const QString& values = QString(),
                   const QString& line = "-b 9600 -P none") {
        QStringList args = {"-m", "rtu", "-0", "-1", "-o", "0.5"};
        args << line.split(' ') << options.split(' ') << line_
             << values.split(' ', Qt::SkipEmptyParts);
        return RunTool(mbpoll_, args);
    }

    // The values mbpoll printed, "[n]: value" lines, in order.
    static QStringList Values(const ToolRun& run) {
        static const QRegularExpression item("^\\[(\\d+)\\]:\\s+(\\S+)",
                                             QRegularExpression::MultilineOption);
        QStringList values;
        for (auto it = item.globalMatch(run.output); it.hasNext();) values << it.next().captured(2);
        return values;
    }

    static QList<int> Numbers(const ToolRun& run) {
        QList<int> numbers;
        for (const QString& v : Values(run)) numbers << v.toInt(nullptr, 0);
        return numbers;
    }

    QString mbpoll_;
    QTemporaryDir dir_;
    QString line_;
    SimProcess sim_;
};
}  // namespace

TEST_F(MbpollPeer, ReadsMeasurementsSystemBlockAndFloatsAsTheMapHasThem) {
    StartSim("ZN210,addr=7 ZN260,addr=8");
    const SimModule rtd(*FindModel("ZN210"), 7, 103);
    const SimModule ai(*FindModel("ZN260"), 8, 103);

    QList<int> expected;
    for (int r = 0; r < 4; ++r) expected << *rtd.Register(r, 12.5);
    EXPECT_EQ(Numbers(Mbpoll("-a 7 -r 0 -c 4 -t 4:hex")), expected);
    expected.clear();
    for (int r = 0; r < 8; ++r) expected << *ai.Register(r, 12.5);
    EXPECT_EQ(Numbers(Mbpoll("-a 8 -r 0 -c 8 -t 4:hex")), expected);
    EXPECT_EQ(Numbers(Mbpoll("-a 8 -r 100 -c 4 -t 4:hex")), (QList<int>{8, 103, 260, 102}));

    // mbpoll's own float decoding (high word first) gives the engineering values.
    const QStringList floats = Values(Mbpoll("-a 8 -r 1280 -c 8 -t 4:float -B"));
    ASSERT_EQ(floats.size(), 8);
    for (int ch = 0; ch < 8; ++ch)
        EXPECT_NEAR(floats[ch].toDouble(), *ai.Register(ch, 12.5) * 20.0 / 4095, 1e-3) << ch;
}

TEST_F(MbpollPeer, ReadsDiscreteInputsAsTheyStandAtThatTime) {
    StartSim("ZN330,addr=2", 7.3);
    const SimModule di(*FindModel("ZN330"), 2, 103);
    QList<int> expected;
    for (int i = 0; i < 16; ++i) expected << (di.Input(i, 7.3) ? 1 : 0);
    ASSERT_TRUE(expected.contains(0) && expected.contains(1));
    EXPECT_EQ(Numbers(Mbpoll("-a 2 -r 0 -c 16 -t 1")), expected);
    EXPECT_TRUE(Mbpoll("-a 2 -r 8 -c 16 -t 1").output.contains("Illegal data address"));
}

TEST_F(MbpollPeer, WrittenCoilsAndRegistersAreKept) {
    StartSim("ZN340,addr=3 ZN240,addr=4");
    ToolRun write = Mbpoll("-a 3 -r 0 -t 0", "1 0 1 1 0 0 0 1 1");
    EXPECT_EQ(write.exitCode, 0) << write.output.toStdString();
    EXPECT_EQ(Numbers(Mbpoll("-a 3 -r 0 -c 16 -t 0")),
              (QList<int>{1, 0, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}));

    write = Mbpoll("-a 4 -r 0 -t 4", "12000 8000 20000");  // function 10
    EXPECT_EQ(write.exitCode, 0) << write.output.toStdString();
    EXPECT_EQ(Numbers(Mbpoll("-a 4 -r 0 -c 3 -t 4")), (QList<int>{12000, 8000, 20000}));
    write = Mbpoll("-a 4 -r 49 -t 4", "3900");  // function 06
    EXPECT_EQ(write.exitCode, 0) << write.output.toStdString();
    const QList<int> calibration = Numbers(Mbpoll("-a 4 -r 48 -c 6 -t 4"));
    ASSERT_EQ(calibration.size(), 6);
    EXPECT_EQ(calibration[1], 3900);
}

TEST_F(MbpollPeer, RefusalsArriveAsModbusExceptions) {
    StartSim("ZN340,addr=3");
    EXPECT_TRUE(Mbpoll("-a 3 -r 300 -c 2 -t 4").output.contains("Illegal data address"));
    EXPECT_TRUE(Mbpoll("-a 3 -r 0 -t 0", "1").output.contains("Illegal function"));  // function 05
    EXPECT_TRUE(Mbpoll("-a 3 -r 101 -t 4", "0").output.contains("Illegal data value"));
    EXPECT_TRUE(Mbpoll("-a 3 -r 102 -t 4", "5").output.contains("Illegal data address"));
    EXPECT_EQ(Numbers(Mbpoll("-a 3 -r 101 -c 1 -t 4")), QList<int>{103});
}

TEST_F(MbpollPeer, AModuleAnswersOnlyAtItsOwnBaudRateAndParity) {
    StartSim("ZN210,addr=1,baud=19200,parity=O");
    // Code 115: 19200 baud, odd parity.
    EXPECT_EQ(Numbers(Mbpoll("-a 1 -r 100 -c 3 -t 4", "", "-b 19200 -P odd")),
              (QList<int>{1, 115, 210}));
    EXPECT_TRUE(Numbers(Mbpoll("-a 1 -r 100 -c 3 -t 4", "", "-b 19200 -P none")).isEmpty());
    EXPECT_TRUE(Numbers(Mbpoll("-a 1 -r 100 -c 3 -t 4", "", "-b 9600 -P odd")).isEmpty());
    // A parameter change through the module answers at the old line; then only the new one works.
    EXPECT_EQ(Mbpoll("-a 1 -r 101 -t 4", "103", "-b 19200 -P odd").exitCode, 0);
    EXPECT_EQ(Numbers(Mbpoll("-a 1 -r 101 -c 1 -t 4")), QList<int>{103});
    EXPECT_TRUE(Numbers(Mbpoll("-a 1 -r 101 -c 1 -t 4", "", "-b 19200 -P odd")).isEmpty());
}
