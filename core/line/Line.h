#pragma once
// One line to modules: a serial device or a network line, with its buffer, the arrival times of
// its bytes, the silence Modbus RTU requires before each request, its vanished state and its
// listen-only mode. The backend behind it (core/line/LineBackend) only moves bytes. A process
// may hold any number of lines; a device or network address is held by one of them at a time.
// While the event loop runs, each line takes its bytes as they come, so response times are the
// module's.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

// Times on one steady clock, in microseconds.
int64_t SteadyMicros();

// When the bytes a read returned arrived: the first and the last; -1 for none.
struct LineReadTiming {
    int64_t firstByteUs = -1;
    int64_t lastByteUs = -1;
};

// What a Modbus TCP line last sent and received as it went on the wire (the windows see the RTU
// form), and how many replies it threw away for another transaction identifier than the
// request's; empty for any other line.
struct LineWireBytes {
    QByteArray sent;
    QByteArray received;
    int wrongTransactions = 0;
};

// Where a listening line's bytes go as they come, each run with the time it came.
using LineArrivalSink = std::function<void(const uint8_t* bytes, size_t count, int64_t atUs)>;

class Line {
  public:
    Line();
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // Transmit and receive buffer: requests are put in bytes 0..n-1 before Write; ReadHex reads
    // into bytes 0..254.
    std::array<uint8_t, 256>& Buffer();

    // Opens and configures `name` ("COM3", a device path, or a network line such as
    // "rfc2217://HOST:PORT") with a settings string such as "9600,N,8,1", and makes it the chosen
    // one. On failure a message has been shown and nothing is held.
    bool Open(const QString& name, const QString& settings);
    // Opens again at `settings`: only the device chosen by the last Open. A name that now leads
    // elsewhere fails like a missing port, so the line never reaches a device nobody chose.
    bool Reopen(const QString& name, const QString& settings);
    // Opens to watch a bus another master drives: nothing can be written while it is open so (a
    // device is opened for reading alone). A re-open keeps the mode. Bytes go to the arrival
    // sink as they come.
    bool OpenListening(const QString& name, const QString& settings);
    void Close();
    bool IsOpen() const;
    bool Listening() const;
    void SetArrivalSink(LineArrivalSink sink);
    // Takes what waits in the driver now (the event loop does it too, as bytes come); a line that
    // has hung up is found gone (Vanished), told once.
    void TakeArrivals();
    // Waits until everything written has left the driver.
    void Flush();
    // Writes Buffer bytes 0..n-1, after throwing away whatever had arrived unasked; returns the
    // count written. Nothing at all while listening: 0, and nothing is thrown away.
    int Write(int n);
    // How many stale bytes the last Write threw away.
    int DiscardedBeforeWrite() const;
    // True once the open device has gone (hung up, or refused a write): the user has been told
    // once and the line is of no further use until opened again.
    bool Vanished() const;
    // Whatever has arrived, as two upper-case hex digits per byte; empty when nothing did.
    QString ReadHex();
    // The same for a reply whose length is known: once `frameBytes` have come, the read ends at
    // the 3.5-character silence that ends a frame rather than after 20 ms, so a line polled
    // back to back loses no time after each reply.
    QString ReadHex(int frameBytes);
    // The open line ends at a gateway that keeps its own line settings (tcp://, modbus-tcp://):
    // the settings string reaches no wire.
    bool KeepsGatewaySettings() const;
    // Waits up to `timeoutMs` for bytes to arrive; true when some are waiting to be read.
    bool WaitForInput(int timeoutMs);

    // When the bytes the last ReadHex returned arrived.
    LineReadTiming LastReadTiming() const;
    // When the last request's last byte left the driver: the write's end plus what the driver
    // still held then, at the line's character time.
    int64_t LastRequestEndUs() const;
    // 3.5 character times at the line's settings: the least silence between the end of one
    // frame and the next request. Write keeps it; 0 with nothing open.
    int64_t SilenceMicros() const;
    LineWireBytes LastWire() const;

  private:
    struct State;
    bool OpenDevice(const QString& name, const QString& settings, bool mustBeChosen,
                    bool listenOnly);
    bool OpenNetwork(const QString& name, const QString& settings, bool mustBeChosen,
                     bool listenOnly);

    std::unique_ptr<State> s_;
};
