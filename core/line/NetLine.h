#pragma once
// A network line behind a line object: a TCP connection to a serial device server
// (raw RTU frames, or Telnet with Com Port Control whose line the program sets) or to a Modbus
// TCP gateway (requests and replies translated to and from their RTU form here). The connection
// is made without blocking: while it is under way the event loop keeps turning (user input waits),
// so no window freezes.
#include <QString>
#include <memory>

#include "core/line/LineBackend.h"
#include "core/protocol/ModbusTcpCodec.h"
#include "core/line/NetAddress.h"
#include "core/line/NetSocket.h"
#include "core/line/Rfc2217.h"
#include "core/line/SerialLineSettings.h"

class NetLine : public LineBackend {
  public:
    // How long a connect, and a gateway's acknowledgement of line settings, may take.
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kSettingsTimeoutMs = 2000;

    // Connects to `name` and sets its line at `settings` where the kind of line allows. On
    // failure gives nothing and the message to show. `listenOnly` lines refuse every data write:
    // an RFC 2217 gateway still gets its Telnet talk and line settings, which never reach the
    // bus; a Modbus TCP gateway only answers its own client and cannot be listened to.
    static std::unique_ptr<NetLine> Open(const QString& name, const QString& settings,
                                         QString* message, bool listenOnly = false);
    ~NetLine() override;

    const NetAddress& Address() const { return address_; }
    // Still connected: what waits unread is thrown away, a hang-up found.
    bool Alive();
    // Sets the line at `settings`: sent to an RFC 2217 gateway, which must acknowledge it; any
    // other gateway keeps its own settings. False with the message to show.
    bool Apply(const QString& settings, QString* message);

    LineWait WaitReadable(int timeoutMs) override { return socket_.WaitReadable(timeoutMs); }
    void WaitWritable(int timeoutMs) override { socket_.WaitWritable(timeoutMs); }
    LineIo ReadSome(uint8_t* into, size_t size) override;
    LineIo WriteSome(const uint8_t* bytes, size_t size) override;
    LineWatchable Watchable() const override { return {socket_.Handle()}; }
    void DiscardInput() override;
    void Drain() override;
    int Unsent() const override { return 0; }
    double CharacterMicros() const override;

    // Modbus TCP: the last request and reply as they went on the wire, and the replies thrown
    // away because their transaction identifier was not the request's.
    const ModbusTcp::Bytes& SentWire() const { return sentWire_; }
    const ModbusTcp::Bytes& ReceivedWire() const { return receivedWire_; }
    int WrongTransactions() const { return wrongTransactions_; }

  private:
    NetLine() = default;
    // Sends `bytes` whole (what the socket does not take at once is waited for, briefly).
    bool SendAll(const std::vector<uint8_t>& bytes);

    NetSocket socket_;
    NetAddress address_;
    QString name_;
    LineSettings settings_;
    bool listenOnly_ = false;
    bool settingsKnown_ = false;  // the line runs at settings_ (the program set them)
    Rfc2217::Decoder telnet_;
    ModbusTcp::Reader mbap_;
    uint16_t transaction_ = 0;
    ModbusTcp::Bytes sentWire_, receivedWire_;
    int wrongTransactions_ = 0;
};
