// Listening to the simulator's tap while mbpoll drives its bus: every request and reply heard,
// paired, decoded and judged, at every baud rate and over a network line, and not a byte sent.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>

#include "base/TextTable.h"
#include "core/listen/ListenSession.h"
#include "core/listen/ListenTexts.h"
#include "core/line/SerialLine.h"
#include "core/line/SerialPort.h"
#include "core/traffic/TrafficTexts.h"
#include "tests/support/Peers.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TurnUntil.h"
#include "tests/support/Ser2net.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPlatform.h"

namespace {
const char* kListenerWrote = "a listener wrote";

class ListenBusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        ASSERT_TRUE(dir_.isValid());
        mbpoll_ = FindTool("mbpoll");
    }
    void TearDown() override {
        session_.Stop();
        SerialPort::ClosePort();
    }

    // znsim with `modules` on a bus whose tap is TAP1.
    void StartSim(const QStringList& modules) {
        QStringList args = {"--verbose", "--bus", dir_.filePath("COM1"), "--tap",
                            dir_.filePath("TAP1")};
        for (const QString& spec : modules) args << "--module" << spec;
        sim_ = std::make_unique<SimProcess>();
        ASSERT_TRUE(sim_->Start(args)) << sim_->Output().toStdString();
    }

    // mbpoll reads registers 100..102 of `addresses` once, to its end.
    void Poll(const QString& addresses, int baud, const QString& parity, double timeoutS) {
        QProcess mbpoll;
        mbpoll.start(mbpoll_, {"-m", "rtu", "-b", QString::number(baud), "-P", parity, "-a",
                               addresses, "-0", "-r", "100", "-c", "3", "-t", "4", "-1", "-o",
                               QString::number(timeoutS), dir_.filePath("COM1")});
        ASSERT_TRUE(mbpoll.waitForStarted());
        ASSERT_TRUE(TurnUntil([&] { return mbpoll.state() == QProcess::NotRunning; }))
            << "mbpoll did not end";
        polled_ = QString::fromLocal8Bit(mbpoll.readAll());
    }

    // For the rates mbpoll's library cannot set (no termios constant: 14400, 28800), the
    // program's own serial backend plays the master: the same requests, one after the other.
    void PollWithLine(const std::vector<int>& addresses, const QString& settings) {
        SerialDeviceIdentity reached;
        QString message;
        auto master =
            SerialLine::Open(dir_.filePath("COM1"), settings, nullptr, &reached, &message);
        ASSERT_TRUE(master) << message.toStdString();
        for (int address : addresses) {
            const Frame request =
                AppendCrc16(Frame{static_cast<uint8_t>(address), 0x03, 0x00, 0x64, 0x00, 0x03});
            ASSERT_EQ(master->WriteSome(request.data(), request.size()).count,
                      static_cast<long long>(request.size()));
            size_t got = 0;
            ASSERT_TRUE(TurnUntil([&] {
                uint8_t reply[64];
                const LineIo read = master->ReadSome(reply, sizeof reply);
                if (read.Moved()) got += static_cast<size_t>(read.count);
                return got >= 11;
            })) << "no reply from "
                << address;
        }
    }

    // Every module in `addresses` has had its one request's outcome.
    bool Outcomes(const std::vector<int>& addresses) {
        for (int address : addresses) {
            const ModuleTally* module = session_.Stats().Find(address);
            if (!module || module->requests < 1 || module->replies + module->noReplies < 1)
                return false;
        }
        return true;
    }

    // The reply row of the exchange whose request went to `address`; null when none.
    const TrafficRow* ReplyTo(int address) {
        TrafficLog& log = session_.Log();
        for (int i = 0; i + 1 < log.Count(); ++i) {
            const TrafficRow& row = log.Row(i);
            if (row.direction == TrafficRow::Sent && row.bytes.at(0) == address &&
                log.Row(i + 1).exchange == row.exchange)
                return &log.Row(i + 1);
        }
        return nullptr;
    }

    // The log as text, for a failure's message.
    std::string Rows() {
        std::string text;
        TrafficLog& log = session_.Log();
        for (int i = 0; i < log.Count(); ++i) {
            const TrafficRow& row = log.Row(i);
            for (int column = 0; column < TrafficTexts::ColumnCount; ++column)
                text += TrafficTexts::Cell(row, column, true).toStdString() + " | ";
            text += "\n";
        }
        return text;
    }

    void ExpectNothingWritten() {
        ASSERT_TRUE(sim_);
        EXPECT_FALSE(sim_->Output().contains(kListenerWrote)) << sim_->Output().toStdString();
    }

    RecordingPlatform platform_;
    QTemporaryDir dir_;
    QString mbpoll_;
    QString polled_;
    std::unique_ptr<SimProcess> sim_;
    ListenSession session_;
};

TEST_F(ListenBusTest, HearsEveryExchangeAtEveryBaudRate) {
    ZN_NEED_PEER(!mbpoll_.isEmpty(), "mbpoll");
    struct Rate {
        int baud;
        char parity;  // a pseudo-terminal drops even parity
    };
    const std::vector<Rate> rates = {{1200, 'N'},  {2400, 'O'},  {4800, 'N'},  {9600, 'O'},
                                     {14400, 'N'}, {19200, 'O'}, {28800, 'N'}, {38400, 'O'},
                                     {57600, 'N'}, {115200, 'O'}};
    for (const Rate& rate : rates) {
        SCOPED_TRACE(rate.baud);
        const QString at = QStringLiteral("baud=%1,parity=%2").arg(rate.baud).arg(rate.parity);
        StartSim({"ZN210,addr=1," + at, "ZN330,addr=2," + at});
        const QString settings = QStringLiteral("%1,%2,8,1").arg(rate.baud).arg(rate.parity);
        ASSERT_TRUE(session_.Start(dir_.filePath("TAP1"), settings, 1.5, {1000, 1500}))
            << platform_.messages.join('\n').toStdString();
        if (rate.baud == 14400 || rate.baud == 28800)
            PollWithLine({1, 2}, settings);
        else
            Poll("1,2", rate.baud, rate.parity == 'N' ? "none" : "odd", 1.0);
        ASSERT_TRUE(TurnUntil([&] {
            return Outcomes({1, 2});
        })) << polled_.toStdString()
            << sim_->Output().toStdString() << Rows();
        for (int address : {1, 2}) {
            SCOPED_TRACE(address);
            const TrafficRow* reply = ReplyTo(address);
            ASSERT_NE(reply, nullptr);
            EXPECT_EQ(reply->verdict, TrafficVerdict::Accepted) << polled_.toStdString() << Rows();
            EXPECT_FALSE(reply->meaning.isEmpty());
            EXPECT_GE(reply->responseMs, 0);
        }
        const TrafficRow& request = session_.Log().Row(0);
        EXPECT_EQ(request.direction, TrafficRow::Sent);
        EXPECT_EQ(request.bytes, AppendCrc16(Frame{0x01, 0x03, 0x00, 0x64, 0x00, 0x03}));
        EXPECT_FALSE(request.meaning.isEmpty());
        EXPECT_EQ(ModuleStats::Cells(*session_.Stats().Find(1), true).value(1), "ZN210");
        EXPECT_EQ(ModuleStats::Cells(*session_.Stats().Find(2), true).value(1), "ZN330");
        EXPECT_EQ(session_.Listener()->NoiseFrames(), 0u);
        EXPECT_EQ(session_.Log().Count(), 4);
        session_.Stop();
        session_.Clear();
        ExpectNothingWritten();
        sim_.reset();
    }
}

TEST_F(ListenBusTest, JudgesEachInjectedFaultWithItsReason) {
    ZN_NEED_PEER(!mbpoll_.isEmpty(), "mbpoll");
    struct Case {
        int address;
        const char* fault;
        TrafficVerdict verdict;
    };
    const std::vector<Case> cases = {
        {1, nullptr, TrafficVerdict::Accepted},  {2, "late:ms=400", TrafficVerdict::Late},
        {3, "short", TrafficVerdict::TooShort},  {4, "garbage", TrafficVerdict::Noise},
        {5, "badcrc", TrafficVerdict::BadCrc},   {6, "exception:code=2", TrafficVerdict::Exception},
        {7, "silence", TrafficVerdict::NoReply},
    };
    QStringList modules;
    QStringList addresses;
    std::vector<int> all;
    for (const Case& c : cases) {
        QString spec = QStringLiteral("ZN220,addr=%1").arg(c.address);
        if (c.fault) spec += QStringLiteral(",fault=%1").arg(c.fault);
        modules << spec;
        addresses << QString::number(c.address);
        all.push_back(c.address);
    }
    StartSim(modules);
    ASSERT_TRUE(session_.Start(dir_.filePath("TAP1"), "9600,N,8,1", 1.5, {200, 700}))
        << platform_.messages.join('\n').toStdString();
    Poll(addresses.join(','), 9600, "none", 0.9);
    ASSERT_TRUE(TurnUntil([&] { return Outcomes(all); })) << polled_.toStdString() << Rows();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const TrafficRow* reply = ReplyTo(c.address);
        ASSERT_NE(reply, nullptr);
        EXPECT_EQ(reply->verdict, c.verdict) << reply->meaning.toStdString();
        // The module waited 400 ms; the request's bytes may have been read a little after they
        // came, so its end is stamped late by as much.
        if (c.verdict == TrafficVerdict::Late) {
            EXPECT_GE(reply->responseMs, 350);
        }
    }
    EXPECT_EQ(session_.Stats().Find(5)->badCrcs, 1);
    EXPECT_EQ(session_.Stats().Find(6)->exceptions, 1);
    EXPECT_EQ(session_.Stats().Find(7)->noReplies, 1);
    EXPECT_EQ(session_.Listener()->NoiseFrames(), 1u);
    session_.Stop();
    ExpectNothingWritten();
}

TEST_F(ListenBusTest, ListensOverANetworkLine) {
    ZN_NEED_PEER(!mbpoll_.isEmpty(), "mbpoll");
    ZN_NEED_PEER(!FindTool("ser2net").isEmpty(), "ser2net");
    for (Ser2net::Mode mode : {Ser2net::Mode::Raw, Ser2net::Mode::Rfc2217}) {
        SCOPED_TRACE(mode == Ser2net::Mode::Raw ? "raw" : "rfc2217");
        StartSim({"ZN210,addr=1", "ZN240,addr=9,fault=exception"});
        Ser2net gateway;
        ASSERT_TRUE(gateway.Start(mode, dir_.filePath("TAP1"), dir_.path()))
            << gateway.Output().toStdString();
        ASSERT_TRUE(session_.Start(gateway.Url(), "9600,N,8,1", 3.0, {1000, 1500}))
            << platform_.messages.join('\n').toStdString();
        Poll("1,9", 9600, "none", 1.0);
        ASSERT_TRUE(TurnUntil([&] { return Outcomes({1, 9}); })) << polled_.toStdString();
        EXPECT_EQ(ReplyTo(1)->verdict, TrafficVerdict::Accepted);
        EXPECT_EQ(ReplyTo(9)->verdict, TrafficVerdict::Exception);
        EXPECT_EQ(session_.Log().Count(), 4);
        session_.Stop();
        session_.Clear();
        ExpectNothingWritten();
        sim_.reset();
    }
}

TEST_F(ListenBusTest, AVanishedLineEndsTheSessionOnce) {
    PtyPeer peer;
    ASSERT_TRUE(session_.Start(peer.SlavePath(), "9600,N,8,1", 1.0, {}));
    peer.Vanish();
    ASSERT_TRUE(TurnUntil([&] { return !session_.Active(); }));
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_EQ(platform_.messages, QStringList{Tt(TextKey::MsgPortUnavailable)});
}

TEST_F(ListenBusTest, TheLineRefusesEveryWrite) {
    PtyPeer peer;
    // The backend: opened for reading alone, so the kernel itself refuses a write.
    SerialDeviceIdentity reached;
    QString message;
    auto line = SerialLine::Open(peer.SlavePath(), "9600,N,8,1", nullptr, &reached, &message, true);
    ASSERT_TRUE(line) << message.toStdString();
    EXPECT_EQ(::fcntl(line->Descriptor(), F_GETFL) & O_ACCMODE, O_RDONLY);
    const uint8_t byte = 0x01;
    errno = 0;
    EXPECT_EQ(::write(line->Descriptor(), &byte, 1), -1);
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(line->WriteSome(&byte, 1).kind, LineIo::Kind::Failed);
    line.reset();

    // The port: WritePort takes nothing, and nothing reaches the far end.
    ASSERT_TRUE(SerialPort::OpenListening(peer.SlavePath(), "9600,N,8,1"));
    EXPECT_TRUE(SerialPort::Listening());
    const Frame request = AppendCrc16(Frame{0x01, 0x03, 0x00, 0x00, 0x00, 0x01});
    std::copy(request.begin(), request.end(), SerialPort::PortBuffer().begin());
    EXPECT_EQ(SerialPort::WritePort(static_cast<int>(request.size())), 0);
    SerialPort::FlushPort();
    int waiting = -1;
    ASSERT_EQ(::ioctl(peer.MasterFd(), FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 0);
    // A re-open keeps the mode.
    ASSERT_TRUE(SerialPort::ReopenPort(peer.SlavePath(), "19200,N,8,1"));
    EXPECT_TRUE(SerialPort::Listening());
    EXPECT_EQ(SerialPort::WritePort(static_cast<int>(request.size())), 0);
    // An ordinary open writes again.
    ASSERT_TRUE(SerialPort::OpenPort(peer.SlavePath(), "9600,N,8,1"));
    EXPECT_FALSE(SerialPort::Listening());
    EXPECT_EQ(SerialPort::WritePort(static_cast<int>(request.size())), 8);
    EXPECT_EQ(HexBytes(SpacedHex(peer.ReadRequest())), HexBytes(SentTextOf(request)));

    // A session listens on a line of its own: the device the port holds is refused to it as in
    // use, and once free the port cannot take it from the session either.
    ListenSession session;
    platform_.messages.clear();
    EXPECT_FALSE(session.Start(peer.SlavePath(), "9600,N,8,1", 1.0, {}));
    EXPECT_TRUE(SerialPort::IsOpen());
    SerialPort::ClosePort();
    ASSERT_TRUE(session.Start(peer.SlavePath(), "9600,N,8,1", 1.0, {}));
    EXPECT_FALSE(SerialPort::OpenPort(peer.SlavePath(), "9600,N,8,1"));
    EXPECT_EQ(platform_.messages.size(), 2);
    EXPECT_TRUE(session.Active());
    EXPECT_TRUE(session.Listened().Listening());
    session.Stop();
    EXPECT_TRUE(SerialPort::OpenPort(peer.SlavePath(), "9600,N,8,1"));
    SerialPort::ClosePort();

    // A Modbus TCP gateway answers only its own client: refused before anything connects.
    platform_.messages.clear();
    EXPECT_FALSE(SerialPort::OpenListening("modbus-tcp://127.0.0.1:1", "9600,N,8,1"));
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_EQ(platform_.messages,
              QStringList{ListenTexts::Text(ListenTexts::CannotListenModbusTcp, false)
                              .arg("modbus-tcp://127.0.0.1:1")});
}
}  // namespace
