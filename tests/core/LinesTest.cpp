// Line objects side by side in one process: two lines talk at once without a byte crossing over,
// each keeping its own silences and times, and a device or network address is held by one line
// at a time.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "base/TextTable.h"
#include "core/line/Line.h"
#include "core/line/SerialLine.h"
#include "core/line/SerialPort.h"
#include "core/protocol/Modbus.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TurnUntil.h"

namespace {
// Puts `frame` in the line's buffer and writes it.
int Send(Line& line, const Frame& frame) {
    std::copy(frame.begin(), frame.end(), line.Buffer().begin());
    return line.Write(static_cast<int>(frame.size()));
}

QByteArray Bytes(const Frame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<int>(frame.size()));
}

// As ReadHex gives a frame: two upper-case hex digits per byte.
QString HexOf(const Frame& frame) {
    return QString::fromLatin1(Bytes(frame).toHex().toUpper());
}

// A TCP server on 127.0.0.1 that takes connections and holds them.
class TcpServer {
  public:
    TcpServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(fd_, 4) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
    }
    ~TcpServer() {
        for (int client : clients_) ::close(client);
        if (fd_ >= 0) ::close(fd_);
    }
    int Port() const { return port_; }
    // The next connection made to it (one is waiting in the backlog once a line has opened).
    int Accept() {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) clients_.push_back(client);
        return client;
    }

  private:
    int fd_ = -1;
    int port_ = 0;
    std::vector<int> clients_;
};

TEST(LinesTest, TwoLinesTalkAtOnceEachWithItsOwnBytesSilencesAndTimes) {
    RecordingPlatform platform;
    PtyPeer fast, slow;
    Line a, b;
    ASSERT_TRUE(a.Open(fast.SlavePath(), "9600,N,8,1"));
    ASSERT_TRUE(b.Open(slow.SlavePath(), "1200,O,8,1"));
    // 3.5 characters of 11 bits (with parity) or 10 at each line's own rate.
    EXPECT_EQ(a.SilenceMicros(), 3646);
    EXPECT_EQ(b.SilenceMicros(), 32083);
    EXPECT_EQ(fast.Baud(), 9600);
    EXPECT_EQ(slow.Baud(), 1200);
    EXPECT_TRUE(slow.OddParity());
    EXPECT_FALSE(fast.OddParity());

    int64_t aReplyEnd = -1, bReplyEnd = -1;
    for (int round = 0; round < 4; ++round) {
        const auto r = static_cast<uint8_t>(round);
        const Frame requestA = AppendCrc16({0x01, 0x03, 0x00, r, 0x00, 0x01});
        const Frame requestB = AppendCrc16({0x07, 0x04, 0x00, r, 0x00, 0x02});
        const Frame replyA = AppendCrc16({0x01, 0x03, 0x02, 0xA0, r});
        const Frame replyB = AppendCrc16({0x07, 0x04, 0x04, 0xB0, r, 0xB1, r});
        // Both requests go before either reply comes; the replies come in the other order.
        ASSERT_EQ(Send(a, requestA), 8);
        ASSERT_EQ(Send(b, requestB), 8);
        // Each line's request waited out that line's silence after its last reply, and only
        // that line's.
        if (round > 0) {
            EXPECT_GE(a.LastRequestEndUs() - aReplyEnd, a.SilenceMicros()) << round;
            EXPECT_GE(b.LastRequestEndUs() - bReplyEnd, b.SilenceMicros()) << round;
        }
        EXPECT_EQ(fast.ReadRequest(), Bytes(requestA));
        EXPECT_EQ(slow.ReadRequest(), Bytes(requestB));
        slow.Write(Bytes(replyB));
        fast.Write(Bytes(replyA));
        ASSERT_TRUE(a.WaitForInput(5000));
        ASSERT_TRUE(b.WaitForInput(5000));
        EXPECT_EQ(a.ReadHex(), HexOf(replyA)) << round;
        EXPECT_EQ(b.ReadHex(), HexOf(replyB)) << round;
        // Each reply's time is its own line's, after its own request.
        const LineReadTiming ta = a.LastReadTiming(), tb = b.LastReadTiming();
        EXPECT_GE(ta.firstByteUs, a.LastRequestEndUs() - 1000);
        EXPECT_GE(tb.firstByteUs, b.LastRequestEndUs() - 1000);
        EXPECT_LE(ta.firstByteUs, ta.lastByteUs);
        EXPECT_LE(tb.firstByteUs, tb.lastByteUs);
        aReplyEnd = ta.lastByteUs;
        bReplyEnd = tb.lastByteUs;
        EXPECT_EQ(a.DiscardedBeforeWrite(), 0);
        EXPECT_EQ(b.DiscardedBeforeWrite(), 0);
    }
    // A line going away is that line's alone.
    slow.Vanish();
    EXPECT_EQ(b.ReadHex(), QString());
    EXPECT_TRUE(b.Vanished());
    EXPECT_FALSE(a.Vanished());
    const Frame last = AppendCrc16({0x01, 0x03, 0x00, 0x09, 0x00, 0x01});
    EXPECT_EQ(Send(a, last), 8);
    EXPECT_EQ(fast.ReadRequest().size(), 8);
    EXPECT_EQ(platform.messages, QStringList{Tt(TextKey::MsgPortUnavailable)});
}

// A line the event loop cannot watch by a descriptor (a serial port on Windows) is looked at every
// millisecond instead: a listener's bytes still reach its sink as they come, each run with its
// time, frame after frame.
TEST(LinesTest, ALineLookedAtRatherThanWatchedTakesItsBytesAsTheyCome) {
    RecordingPlatform platform;
    SerialLine::WatchByLooking(true);
    struct Restore {
        ~Restore() { SerialLine::WatchByLooking(false); }
    } restore;
    PtyPeer bus;
    Line line;
    QByteArray heard;
    std::vector<int64_t> times;
    line.SetArrivalSink([&](const uint8_t* bytes, size_t count, int64_t atUs) {
        heard.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
        times.push_back(atUs);
    });
    ASSERT_TRUE(line.OpenListening(bus.SlavePath(), "9600,N,8,1"));
    for (int round = 0; round < 3; ++round) {
        const Frame frame =
            AppendCrc16({0x01, 0x03, 0x00, static_cast<uint8_t>(round), 0x00, 0x01});
        const qsizetype want = heard.size() + static_cast<qsizetype>(frame.size());
        const int64_t sent = SteadyMicros();
        bus.Write(Bytes(frame));
        ASSERT_TRUE(TurnUntil([&] { return heard.size() >= want; }, 5000)) << round;
        EXPECT_EQ(heard.right(static_cast<qsizetype>(frame.size())), Bytes(frame)) << round;
        EXPECT_GE(times.back(), sent) << round;
    }
    EXPECT_FALSE(line.Vanished());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST(LinesTest, ADeviceOrAddressIsHeldOnceAndTheFirstHolderKeepsWorking) {
    TextTable::Fill(true);
    RecordingPlatform platform;
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    PtyPeer device;
    const QString link = scratch.filePath("COM5");
    ASSERT_TRUE(QFile::link(device.SlavePath(), link));
    TcpServer server;
    ASSERT_NE(server.Port(), 0);
    const QString tcp = QStringLiteral("tcp://127.0.0.1:%1").arg(server.Port());
    const QString rfc2217 = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.Port());

    struct Case {
        const char* what;
        QString first, second;  // the second names what the first holds
        QString shown;          // as the refusal names it
    };
    const Case cases[] = {
        {"the same device", device.SlavePath(), device.SlavePath(), device.SlavePath()},
        {"a link to it", device.SlavePath(), link, link},
        {"the same gateway", tcp, tcp, tcp},
        {"the same gateway by another kind", tcp, rfc2217, rfc2217},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform.messages.clear();
        Line first, second;
        ASSERT_TRUE(first.Open(c.first, "9600,N,8,1"))
            << platform.messages.join('\n').toStdString();
        const bool network = c.first.startsWith("tcp://");
        ASSERT_GE(network ? server.Accept() : 0, 0);
        EXPECT_FALSE(second.Open(c.second, "9600,N,8,1"));
        EXPECT_FALSE(second.OpenListening(c.second, "9600,N,8,1"));
        EXPECT_FALSE(second.IsOpen());
        EXPECT_EQ(platform.messages, QStringList(2, Tt(TextKey::MsgPortUnavailable) + '\n' +
                                                        Tt(TextKey::MsgPortBusy).arg(c.shown)));
        // The first still talks, and its re-open (a new connection to a gateway) is its own.
        ASSERT_TRUE(first.Reopen(c.first, "9600,N,8,1"));
        const int peer = network ? server.Accept() : device.MasterFd();
        ASSERT_GE(peer, 0);
        const Frame request = AppendCrc16({0x02, 0x03, 0x00, 0x00, 0x00, 0x01});
        ASSERT_EQ(Send(first, request), 8);
        first.Flush();
        uint8_t got[16] = {};
        size_t have = 0;
        while (have < request.size()) {
            const ssize_t n = ::read(peer, got + have, sizeof got - have);
            ASSERT_GT(n, 0);
            have += static_cast<size_t>(n);
        }
        EXPECT_TRUE(std::equal(request.begin(), request.end(), got));
        // Once the first lets go, another line may have it.
        first.Close();
        EXPECT_TRUE(second.Open(c.first, "9600,N,8,1"));
        if (network) ASSERT_GE(server.Accept(), 0);  // so the next case's is the next in line
        second.Close();
    }
    // The process's port is one line like the others.
    ASSERT_TRUE(SerialPort::OpenPort(link, "9600,N,8,1"));
    Line other;
    EXPECT_FALSE(other.Open(device.SlavePath(), "9600,N,8,1"));
    SerialPort::ClosePort();
    EXPECT_TRUE(other.Open(device.SlavePath(), "9600,N,8,1"));
}
}  // namespace
