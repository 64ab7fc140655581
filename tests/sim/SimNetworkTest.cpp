// znsim's buses over the network on 127.0.0.1: raw RTU over TCP as a serial device server passes
// it, and Modbus TCP as a gateway translates it, with the modules' faults on the way.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "sim/ModbusTcp.h"
#include "sim/SimModule.h"
#include "tests/sim/WireEnds.h"
#include "tests/support/Peers.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SimProcess.h"

namespace {
QByteArray Hex(const char* spaced, bool withCrc = false) {
    return HexBytes(QString::fromLatin1(spaced), withCrc);
}

// A bus on the network: a ZN210 at 1, a ZN330 at 2 whose every reply has a broken CRC, a ZN220
// at 3 that never answers, a ZN220 at 4 answering 300 ms late, a ZN210 at 5 at 19200 even and
// a ZN210 at 6 answering 1500 ms late.
class SimNetwork : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.Start({"--verbose",
                                "--freeze",
                                "12.5",
                                "--bus",
                                dir_.path() + "/COM1",
                                "--tcp",
                                "0",
                                "--modbus-tcp",
                                "0",
                                "--module",
                                "ZN210,addr=1",
                                "--module",
                                "ZN330,addr=2,fault=badcrc",
                                "--module",
                                "ZN220,addr=3,fault=silence",
                                "--module",
                                "ZN220,addr=4,fault=late:ms=300",
                                "--module",
                                "ZN210,addr=5,baud=19200,parity=E",
                                "--module",
                                "ZN210,addr=6,fault=late:ms=1500"}))
            << sim_.Output().toStdString();
        rawPort_ = Port("raw RTU over TCP");
        modbusPort_ = Port("Modbus TCP");
        ASSERT_GT(rawPort_, 0);
        ASSERT_GT(modbusPort_, 0);
    }
    int Port(const QString& kind) {
        const QRegularExpression line(kind + " on 127\\.0\\.0\\.1:(\\d+)$",
                                      QRegularExpression::MultilineOption);
        return line.match(sim_.Output()).captured(1).toInt();
    }

    QTemporaryDir dir_;
    SimProcess sim_;
    int rawPort_ = 0;
    int modbusPort_ = 0;
};
}  // namespace

TEST(ModbusTcpFraming, FramesAreCutFromTheStreamAndOtherProtocolsRefused) {
    const struct {
        const char* stream;
        bool modbus;
        int frames;
    } cases[] = {
        {"00 01 00 00 00 06 01 03 00 00 00 04", true, 1},
        {"00 01 00 00 00 06 01 03 00 00 00", true, 0},  // one byte still to come
        {"00 01 00 00 00 06 01 03 00 00 00 04 00 02 00 00 00 02 01 11", true, 2},
        {"00 01 00 01 00 06 01 03 00 00 00 04", false, 0},  // protocol id 1
        {"00 01 00 00 00 01 01", false, 0},                 // a unit id and no function
        {"00 01 00 00 01 00 01", false, 0},                 // longer than any frame
    };
    for (const auto& c : cases) {
        const QByteArray bytes = Hex(c.stream);
        MbapFramer framer;
        std::vector<Frame> frames;
        EXPECT_EQ(framer.Feed(reinterpret_cast<const uint8_t*>(bytes.constData()),
                              static_cast<size_t>(bytes.size()), &frames),
                  c.modbus)
            << c.stream;
        EXPECT_EQ(static_cast<int>(frames.size()), c.frames) << c.stream;
    }
}

TEST_F(SimNetwork, RawRtuOverTcpCarriesTheWireBytesWhateverTheModulesBaudRate) {
    const struct {
        const char* request;
        QByteArray reply;
    } cases[] = {
        {"01 03 00 64 00 03", Hex("01 03 06 00 01 00 67 00 D2", true)},
        {"05 03 00 64 00 03", Hex("05 03 06 00 05 00 7D 00 D2", true)},  // code 125: 19200 E
        {"04 03 00 64 00 03", Hex("04 03 06 00 04 00 67 00 DC", true)},  // late, still whole
        {"01 03 01 2C 00 01", Hex("01 83 02", true)},
        // Faults reach the client as they are on the wire: here the CRC's last bit flipped.
        {"02 03 00 64 00 03", WithBrokenCrc(Hex("02 03 06 00 02 00 67 01 4A", true))},
    };
    TcpEnd client(rawPort_);
    ASSERT_TRUE(client.Ok());
    for (const auto& c : cases) {
        client.Write(Hex(c.request, true));
        EXPECT_EQ(SpacedHex(client.Read(c.reply.size())), SpacedHex(c.reply)) << c.request;
    }
    // The module that never answers sends nothing; the next request is answered as usual.
    client.Write(Hex("03 03 00 64 00 03", true));
    client.Write(Hex("01 03 00 64 00 03", true));
    EXPECT_EQ(SpacedHex(client.Read(cases[0].reply.size())), SpacedHex(cases[0].reply));
    EXPECT_TRUE(
        sim_.Output().contains(QRegularExpression("COM1 tcp:\\d+ <- 03 03 00 64 00 03 \\S+ \\S+ "
                                                  "\\[ZN220@3 fault silence\\] \\[no answer\\]")))
        << sim_.Output().toStdString();
}

TEST_F(SimNetwork, ModbusTcpAnswersUnderEachRequestsTransactionIdAndFaultsBecomeException0B) {
    // Sent in one go: the gateway takes them one after another, each under its own id.
    const struct {
        const char* request;
        const char* reply;
    } cases[] = {
        {"12 34 00 00 00 06 01 03 00 64 00 03", "12 34 00 00 00 09 01 03 06 00 01 00 67 00 D2"},
        {"12 35 00 00 00 06 05 03 00 64 00 03", "12 35 00 00 00 09 05 03 06 00 05 00 7D 00 D2"},
        {"00 07 00 00 00 06 04 03 00 64 00 03", "00 07 00 00 00 09 04 03 06 00 04 00 67 00 DC"},
        {"AB CD 00 00 00 06 01 03 01 2C 00 01", "AB CD 00 00 00 03 01 83 02"},
        {"00 08 00 00 00 06 02 03 00 64 00 03", "00 08 00 00 00 03 02 83 0B"},  // bad CRC
        {"00 09 00 00 00 06 03 03 00 64 00 03", "00 09 00 00 00 03 03 83 0B"},  // silent
        {"00 0A 00 00 00 06 09 03 00 64 00 03", "00 0A 00 00 00 03 09 83 0B"},  // nobody there
        {"00 0D 00 00 00 06 06 03 00 64 00 03", "00 0D 00 00 00 03 06 83 0B"},  // too late
        // A broadcast write is carried out by all: the echoes on time collide and are dropped,
        // the late module's comes alone and is passed on.
        {"00 0B 00 00 00 06 00 06 00 31 0F 3C", "00 0B 00 00 00 06 00 06 00 31 0F 3C"},
        {"00 0C 00 00 00 06 01 03 00 31 00 01", "00 0C 00 00 00 05 01 03 02 0F 3C"},
    };
    QByteArray requests, replies;
    for (const auto& c : cases) {
        requests += Hex(c.request);
        replies += Hex(c.reply);
    }
    TcpEnd client(modbusPort_);
    ASSERT_TRUE(client.Ok());
    client.Write(requests);
    EXPECT_EQ(SpacedHex(client.Read(replies.size(), 15000)), SpacedHex(replies));
    EXPECT_TRUE(sim_.Output().contains("COM1 -> (bus only) 02 03 06"));  // on the gateway's line
}

TEST_F(SimNetwork, MbpollReadsTheRegistersOverModbusTcp) {
    const QString mbpoll = FindTool("mbpoll");
    ZN_NEED_PEER(!mbpoll.isEmpty(), "mbpoll");
    const SimModule rtd(*FindModel("ZN210"), 1, 103);
    const ToolRun run = RunTool(mbpoll, {"-m", "tcp", "-p", QString::number(modbusPort_), "-a", "1",
                                         "-r", "1", "-c", "4", "-1", "127.0.0.1"});
    static const QRegularExpression item("^\\[(\\d+)\\]:\\s+(\\S+)",
                                         QRegularExpression::MultilineOption);
    QList<int> values, expected;
    for (auto it = item.globalMatch(run.output); it.hasNext();)
        values << it.next().captured(2).toInt();
    for (int r = 0; r < 4; ++r) expected << *rtd.Register(r, 12.5);
    EXPECT_EQ(values, expected) << run.output.toStdString();
    const ToolRun silent = RunTool(mbpoll, {"-m", "tcp", "-p", QString::number(modbusPort_), "-a",
                                            "3", "-r", "1", "-1", "-o", "3", "127.0.0.1"});
    EXPECT_TRUE(silent.output.contains("Target device failed to respond"))
        << silent.output.toStdString();
}

TEST_F(SimNetwork, AClientThatLeavesIsForgottenAndTheNextIsServed) {
    const struct {
        bool modbus;
        QByteArray leaving;  // sent by a client that goes before the late reply is due
        QByteArray asked;
        QByteArray answer;
    } cases[] = {
        {false, Hex("04 03 00 64 00 03", true), Hex("04 03 00 66 00 01", true),
         Hex("04 03 02 00 DC", true)},
        {true, Hex("00 01 00 00 00 06 04 03 00 64 00 03"),
         Hex("00 02 00 00 00 06 04 03 00 66 00 01"), Hex("00 02 00 00 00 05 04 03 02 00 DC")},
    };
    for (const auto& c : cases) {
        const int port = c.modbus ? modbusPort_ : rawPort_;
        const QString where = QString(c.modbus ? "modbus-tcp:%1" : "tcp:%1").arg(port);
        const int leftBefore = sim_.Output().count(where + " client left");
        {
            TcpEnd leaving(port);
            ASSERT_TRUE(leaving.Ok());
            leaving.Write(c.leaving);
            ASSERT_TRUE(sim_.WaitFor(where + " <- " + SpacedHex(c.leaving).trimmed()));
        }
        ASSERT_TRUE(sim_.WaitFor(where + " client left", leftBefore + 1));
        // Had the first client's late reply been kept, it would come first: it is due earlier.
        TcpEnd next(port);
        ASSERT_TRUE(next.Ok());
        next.Write(c.asked);
        EXPECT_EQ(SpacedHex(next.Read(c.answer.size())), SpacedHex(c.answer))
            << where.toStdString();
    }
}
