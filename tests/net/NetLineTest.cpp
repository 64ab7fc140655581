// Network lines through the process's one port, against real peers on 127.0.0.1: ser2net in front
// of the simulator's pseudo-terminal (raw and RFC 2217), and sockets that misbehave.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <thread>

#include "base/TextTable.h"
#include "core/modules/AnalogCodec.h"
#include "core/scan/BusScan.h"
#include "core/exchange/Exchange.h"
#include "core/scan/ParameterSearch.h"
#include "core/line/SerialPort.h"
#include "core/traffic/TrafficLog.h"
#include "core/traffic/TrafficTexts.h"
#include "tests/support/Peers.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/Ser2net.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"

namespace {
const QString kUnavailable = "Serial port does not exist or already opened！";

class NetLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override { SerialPort::ClosePort(); }

    // The simulator's bus behind ser2net in `mode`.
    void StartGateway(Ser2net::Mode mode, const QStringList& modules) {
        ZN_NEED_PEER(!FindTool("ser2net").isEmpty(), "ser2net");
        QStringList args = {"--freeze", "12.5", "--bus", dir_.filePath("COM1")};
        for (const QString& spec : modules) args << "--module" << spec;
        sim_ = std::make_unique<SimProcess>();
        gateway_ = std::make_unique<Ser2net>();
        ASSERT_TRUE(sim_->Start(args)) << sim_->Output().toStdString();
        ASSERT_TRUE(gateway_->Start(mode, dir_.filePath("COM1"), dir_.path()))
            << gateway_->Output().toStdString();
    }

    // Sends `request` and gives the verdict on a reply of `replyBytes`.
    ReplyVerdict Ask(const Frame& request, int replyBytes) {
        exchange_.SetCause(TrafficCause::PollA);
        exchange_.Send(request);
        if (!SerialPort::WaitForInput(3000)) return ReplyVerdict::NoReply;
        exchange_.Collect();
        return exchange_.Judge({replyBytes});
    }

    QTemporaryDir dir_;
    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<Ser2net> gateway_;
    RecordingPlatform platform_;
    Exchange exchange_;
};

// A listener on 127.0.0.1 run by the test: it accepts one client and does what it is told.
class FakePeer {
  public:
    explicit FakePeer(int backlog = 1) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof at;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at);
        ::listen(fd_, backlog);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &size);
        port_ = ntohs(at.sin_port);
    }
    ~FakePeer() {
        if (worker_.joinable()) worker_.join();
        for (int fd : held_) ::close(fd);
        ::close(fd_);
    }
    int Port() const { return port_; }
    // Fills the accept queue with a client nobody accepts: the next connect gets no answer.
    void FillQueue() {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        at.sin_port = htons(static_cast<uint16_t>(port_));
        ::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
        held_.push_back(fd);
    }
    // Accepts a client and, for each step, reads that many bytes and answers with the step's
    // bytes; then hangs up, or with `hold` keeps the connection and says no more.
    struct Step {
        int requestBytes;
        QByteArray answer;
    };
    void Serve(std::vector<Step> steps, bool hold) {
        worker_ = std::thread([this, steps, hold] {
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0) return;
            for (const Step& step : steps) {
                char request[256];
                for (int got = 0; got < step.requestBytes;) {
                    const ssize_t n = ::read(
                        client, request, std::min<size_t>(sizeof request, step.requestBytes - got));
                    if (n <= 0) break;
                    got += static_cast<int>(n);
                }
                (void)!::write(client, step.answer.constData(),
                               static_cast<size_t>(step.answer.size()));
            }
            if (hold)
                held_.push_back(client);
            else
                ::close(client);
        });
    }
    void Join() {
        if (worker_.joinable()) worker_.join();
    }

  private:
    int fd_ = -1;
    int port_ = 0;
    std::vector<int> held_;
    std::thread worker_;
};
}  // namespace

TEST_F(NetLineTest, PollsAndWritesThroughASerialDeviceServerEitherWay) {
    for (const auto mode : {Ser2net::Mode::Raw, Ser2net::Mode::Rfc2217}) {
        SCOPED_TRACE(mode == Ser2net::Mode::Raw ? "raw" : "rfc2217");
        StartGateway(mode, {"ZN210,addr=3"});
        if (HasFatalFailure() || IsSkipped()) return;
        ASSERT_TRUE(SerialPort::OpenPort(gateway_->Url(), "9600,N,8,1"))
            << platform_.messages.join("\n").toStdString();
        for (int poll = 0; poll < 3; ++poll) {
            ASSERT_EQ(Ask(AnalogCodec::PollRequest(3, 4), AnalogCodec::PollReplyBytes(4)),
                      ReplyVerdict::Accepted)
                << exchange_.ReceivedText.toStdString();
            EXPECT_EQ(exchange_.ReceivedText.left(9), "03 03 08 ");
        }
        // 0xFF in the data and the CRC: escaped on the way in RFC 2217, and back in the echo.
        EXPECT_EQ(Ask(WriteRegisterRequest(3, 0x31, 0x12FF), 8), ReplyVerdict::Accepted);
        EXPECT_EQ(exchange_.ReceivedText, exchange_.SentText);
        EXPECT_EQ(Ask(ReadRequest(3, 3, 0x31, 1), 7), ReplyVerdict::Accepted);
        EXPECT_EQ(exchange_.ReceivedText.left(15), "03 03 02 12 FF ");
        EXPECT_TRUE(platform_.messages.isEmpty()) << platform_.messages.join("\n").toStdString();
        SerialPort::ClosePort();
        gateway_.reset();
        sim_.reset();
    }
}

TEST_F(NetLineTest, SearchFindsTheModuleBySettingTheGatewaysLineThroughRfc2217) {
    // Odd parity: a pseudo-terminal carries it, where even parity reads as none.
    StartGateway(Ser2net::Mode::Rfc2217, {"ZN260,addr=5,baud=19200,parity=O"});
    if (HasFatalFailure() || IsSkipped()) return;
    ParameterSearch search(true);
    int steps = 0;
    const auto found =
        search.Run(gateway_->Url(), 300, 0, [&](int, const SerialCandidate&) { ++steps; });
    ASSERT_TRUE(found.has_value()) << platform_.messages.join("\n").toStdString();
    EXPECT_EQ(found->settings, (SerialCandidate{19200, 'O'}));
    EXPECT_GT(steps, 1);  // it had to move the gateway off 9600 N
    EXPECT_TRUE(platform_.messages.isEmpty()) << platform_.messages.join("\n").toStdString();
}

TEST_F(NetLineTest, AConnectionThatCannotBeMadeSaysWhyAndWhatToCheck) {
    FakePeer full(0);
    full.FillQueue();
    FakePeer silent;
    silent.Serve({}, true);  // accepts, and never says a word
    // Takes the greeting and the four settings of 9600,N,8,1, and says it kept 4800.
    FakePeer stubborn;
    stubborn.Serve({{15 + 10 + 3 * 7, QByteArray::fromHex("FFFA2C65000012C0FFF0"
                                                          "FFFA2C6608FFF0"
                                                          "FFFA2C6701FFF0"
                                                          "FFFA2C6801FFF0")}},
                   true);
    const int closed = FreeLoopbackPort();
    const struct {
        QString name;
        QString why;
        bool waits;  // takes its time-out: the event loop must turn meanwhile
    } cases[] = {
        {QString("tcp://127.0.0.1:%1").arg(closed),
         QString("tcp://127.0.0.1:%1: the connection was refused, nothing listens at that port. "
                 "Check the port number and that the gateway's service is on.")
             .arg(closed),
         false},
        {QString("tcp://127.0.0.1:%1").arg(full.Port()),
         QString("tcp://127.0.0.1:%1: no answer within 3 s. The host is off or unplugged, or a "
                 "firewall filters it. Check the address and the network.")
             .arg(full.Port()),
         true},
        {"tcp://no-such-gateway.invalid:4001",
         "tcp://no-such-gateway.invalid:4001: the host name is not found. Check its spelling, or "
         "type the gateway's IP address.",
         false},
        {"tcp://127.0.0.1",
         "tcp://127.0.0.1 is not a network line: write tcp://HOST:PORT, rfc2217://HOST:PORT or "
         "modbus-tcp://HOST[:PORT].",
         false},
        {QString("rfc2217://127.0.0.1:%1").arg(silent.Port()),
         QString("rfc2217://127.0.0.1:%1 did not acknowledge the line settings: that port may not "
                 "be an RFC 2217 service. Use tcp:// instead, or turn RFC 2217 on in the gateway.")
             .arg(silent.Port()),
         true},
        {QString("rfc2217://127.0.0.1:%1").arg(stubborn.Port()),
         QString("rfc2217://127.0.0.1:%1 did not take the line settings 9600,N,8,1 and "
                 "acknowledged 4800,N,8,1 instead: the gateway may not support them. Check what "
                 "its serial port can do.")
             .arg(stubborn.Port()),
         false},
    };
    for (const auto& c : cases) {
        platform_.messages.clear();
        // The event loop keeps turning while a connection is tried.
        int turns = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
        ticker.start(1);
        EXPECT_FALSE(SerialPort::OpenPort(c.name, "9600,N,8,1")) << c.name.toStdString();
        EXPECT_FALSE(SerialPort::IsOpen());
        EXPECT_EQ(platform_.messages, QStringList{kUnavailable + '\n' + c.why});
        if (c.waits) {
            EXPECT_GT(turns, 0) << c.name.toStdString();
        }
    }
}

TEST_F(NetLineTest, ALostConnectionIsAVanishedLineAndOpeningAgainReconnects) {
    const Frame request = AnalogCodec::PollRequest(3, 1);
    Frame reply = {3, 3, 2, 0x01, 0x23};
    const uint16_t crc = Crc16(reply.data(), reply.size());
    reply.push_back(static_cast<uint8_t>(crc & 0xFF));
    reply.push_back(static_cast<uint8_t>(crc >> 8));
    const QByteArray whole(reinterpret_cast<const char*>(reply.data()),
                           static_cast<int>(reply.size()));
    FakePeer peer;
    const QString name = QString("tcp://127.0.0.1:%1").arg(peer.Port());
    // The peer hangs up half way through its reply.
    peer.Serve({{8, whole.left(3)}}, false);
    ASSERT_TRUE(SerialPort::OpenPort(name, "9600,N,8,1"));
    EXPECT_NE(Ask(request, 7), ReplyVerdict::Accepted);
    peer.Join();
    EXPECT_EQ(SerialPort::ReadPortHex(), "");
    SerialPort::WritePort(0);
    EXPECT_TRUE(SerialPort::Vanished());
    EXPECT_EQ(platform_.messages, QStringList{kUnavailable});
    // Said once, however often the line is then used.
    EXPECT_EQ(SerialPort::ReadPortHex(), "");
    EXPECT_EQ(platform_.messages.size(), 1);
    // Opening again makes a new connection, which works.
    peer.Serve({{8, whole}}, false);
    ASSERT_TRUE(SerialPort::OpenPort(name, "9600,N,8,1"));
    EXPECT_FALSE(SerialPort::Vanished());
    EXPECT_EQ(Ask(request, 7), ReplyVerdict::Accepted) << exchange_.ReceivedText.toStdString();
}

TEST_F(NetLineTest, AModbusTcpGatewayIsAskedInRtuFormAndAnotherTransactionsReplyRejected) {
    auto sim = std::make_unique<SimProcess>();
    ASSERT_TRUE(sim->Start({"--freeze", "12.5", "--bus", dir_.filePath("COM1"), "--modbus-tcp", "0",
                            "--module", "ZN210,addr=3"}))
        << sim->Output().toStdString();
    const int port = QRegularExpression("Modbus TCP on 127\\.0\\.0\\.1:(\\d+)")
                         .match(sim->Output())
                         .captured(1)
                         .toInt();
    ASSERT_GT(port, 0) << sim->Output().toStdString();
    ASSERT_TRUE(SerialPort::OpenPort(QString("modbus-tcp://127.0.0.1:%1").arg(port), "9600,N,8,1"))
        << platform_.messages.join("\n").toStdString();
    for (int poll = 1; poll <= 2; ++poll) {
        ASSERT_EQ(Ask(AnalogCodec::PollRequest(3, 4), AnalogCodec::PollReplyBytes(4)),
                  ReplyVerdict::Accepted)
            << exchange_.ReceivedText.toStdString();
        const SerialPort::WireBytes wire = SerialPort::LastWire();
        EXPECT_EQ(wire.sent.toHex(' '), QByteArray("00 0%1 00 00 00 06 03 03 00 00 00 04")
                                            .replace("%1", QByteArray::number(poll)));
        EXPECT_EQ(
            wire.received.left(9).toHex(' '),
            QByteArray("00 0%1 00 00 00 0b 03 03 08").replace("%1", QByteArray::number(poll)));
    }
    // The monitor shows the RTU form the windows judge, and after it the frame on the network.
    const TrafficLog& log = TrafficLog::Instance();
    ASSERT_GE(log.Count(), 2);
    EXPECT_EQ(TrafficTexts::Cell(log.Row(log.Count() - 2), TrafficTexts::Bytes, true),
              "03 03 00 00 00 04 45 EB | TCP 00 02 00 00 00 06 03 03 00 00 00 04");
    EXPECT_TRUE(TrafficTexts::Cell(log.Row(log.Count() - 1), TrafficTexts::Bytes, true)
                    .contains(" | TCP 00 02 00 00 00 0B 03 03 08 "));
    SerialPort::ClosePort();
    // A gateway that answers under another transaction identifier: the reply is not taken.
    FakePeer peer;
    peer.Serve({{12, QByteArray::fromHex("00 07 00 00 00 05 03 03 02 01 23")}}, false);
    ASSERT_TRUE(
        SerialPort::OpenPort(QString("modbus-tcp://127.0.0.1:%1").arg(peer.Port()), "9600,N,8,1"));
    EXPECT_NE(Ask(AnalogCodec::PollRequest(3, 1), 7), ReplyVerdict::Accepted);
    EXPECT_EQ(SerialPort::LastWire().wrongTransactions, 1);
    EXPECT_EQ(exchange_.ReceivedText, "");
    const TrafficRow& rejected = log.Row(log.Count() - 1);
    EXPECT_EQ(rejected.verdict, TrafficVerdict::WrongTransaction);
    EXPECT_EQ(TrafficTexts::Cell(rejected, TrafficTexts::Verdict, true),
              "rejected: another transaction's reply");
    EXPECT_EQ(TrafficTexts::Cell(rejected, TrafficTexts::Bytes, true),
              "TCP 00 07 00 00 00 05 03 03 02 01 23");
}

TEST_F(NetLineTest, ABusScanOverAllSettingsFindsEachModuleAtItsOwnThroughRfc2217) {
    StartGateway(Ser2net::Mode::Rfc2217, {"ZN210,addr=2", "ZN330,addr=4,baud=19200,parity=O"});
    if (HasFatalFailure() || IsSkipped()) return;
    // A wait long enough for a loaded machine: the reply crosses ser2net and two ptys.
    ScanPlan plan(1, 5, {{9600, 'N'}, {19200, 'O'}}, 400);
    ScanRows rows;
    ASSERT_TRUE(BusScan::Run(gateway_->Url(), plan, rows, [](const ScanProbe&) {}))
        << platform_.messages.join("\n").toStdString();
    std::vector<std::pair<int, SerialCandidate>> found;
    for (const ScanRow& row : rows.Rows()) {
        found.push_back({row.address, row.heardAt});
        EXPECT_FALSE(row.Mismatch()) << row.address;
    }
    EXPECT_EQ(found,
              (std::vector<std::pair<int, SerialCandidate>>{{2, {9600, 'N'}}, {4, {19200, 'O'}}}));
}

TEST_F(NetLineTest, PymodbusAsAModbusTcpGatewayAnswersTheRtuFormsRequests) {
    ZN_NEED_PEER(QFile::exists(PYMODBUS_TCP_SERVER) && QFile::exists("/usr/bin/python3"),
                 "pymodbus");
    const int port = FreeLoopbackPort();
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start("/usr/bin/python3", {PYMODBUS_TCP_SERVER, QString::number(port)});
    ASSERT_TRUE(server.waitForStarted(5000));
    const QDeadlineTimer deadline(15000);
    while (!Listens(port) && !deadline.hasExpired() && server.state() == QProcess::Running)
        server.waitForReadyRead(20);
    ASSERT_TRUE(Listens(port)) << server.readAll().toStdString();
    ASSERT_TRUE(SerialPort::OpenPort(QString("modbus-tcp://127.0.0.1:%1").arg(port), "9600,N,8,1"))
        << platform_.messages.join("\n").toStdString();
    const struct {
        Frame request;
        int replyBytes;
        QString reply;  // without its CRC
    } cases[] = {
        {AnalogCodec::PollRequest(1, 4), 13, "01 03 08 03 23 02 26 00 00 FF FF "},
        {ReadRequest(1, 3, 100, 3), 11, "01 03 06 00 01 00 67 00 D2 "},
        {WriteRegisterRequest(1, 2, 0x00FF), 8, "01 06 00 02 00 FF "},
        {ReadRequest(1, 3, 2, 1), 7, "01 03 02 00 FF "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Ask(c.request, c.replyBytes), ReplyVerdict::Accepted)
            << exchange_.ReceivedText.toStdString();
        EXPECT_TRUE(exchange_.ReceivedText.startsWith(c.reply))
            << exchange_.ReceivedText.toStdString();
    }
    SerialPort::ClosePort();
    server.terminate();
    server.waitForFinished(5000);
}

TEST_F(NetLineTest, AnRfc2217GatewaysOwnTalkIsNoInputForTheWindows) {
    // A gateway that acknowledges the line, then answers a request with a line state notice only.
    const QByteArray acks =
        QByteArray::fromHex("FFFA2C6500002580FFF0 FFFA2C6608FFF0 FFFA2C6701FFF0 FFFA2C6801FFF0");
    FakePeer peer;
    peer.Serve({{15 + 31, acks}, {8, QByteArray::fromHex("FFFA2C6A60FFF0")}}, true);
    ASSERT_TRUE(
        SerialPort::OpenPort(QString("rfc2217://127.0.0.1:%1").arg(peer.Port()), "9600,N,8,1"))
        << platform_.messages.join("\n").toStdString();
    exchange_.Send(AnalogCodec::PollRequest(3, 1));
    peer.Join();  // the notice has been sent
    EXPECT_FALSE(SerialPort::WaitForInput(300));
    EXPECT_EQ(SerialPort::ReadPortHex(), "");
    EXPECT_FALSE(SerialPort::Vanished());
}
