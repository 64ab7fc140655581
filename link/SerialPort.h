#pragma once
// The one port of the process and its one buffer. Only this module touches the line; the line
// itself is a backend (link/LineBackend): a POSIX serial device or a network line. The port notes
// when bytes arrive, so that response times are the module's, and keeps the silence that Modbus RTU
// requires before each request.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace SerialPort {
// Transmit and receive buffer: requests are put in bytes 0..n-1 before WritePort; ReadPortHex
// reads into bytes 0..254.
std::array<uint8_t, 256>& PortBuffer();

// Opens and configures the port ("COM3", a device path, or a network line such as
// "rfc2217://HOST:PORT", see link/NetAddress) with a settings string such as "9600,N,8,1", and
// makes that line the chosen one. On failure a message has been shown and no
// port is held.
bool OpenPort(const QString& name, const QString& settings);
// Opens the port again, at `settings`: only the device chosen by the last OpenPort. A name that
// now leads elsewhere (its link removed or changed) fails like a missing port, so the program
// never talks to a device the user did not choose.
bool ReopenPort(const QString& name, const QString& settings);
void ClosePort();
// Opens the port to watch a bus another master drives: nothing can be written while it is open
// so (WritePort and every backend refuse; a device is opened for reading alone). A re-open keeps
// the mode. Bytes go to the arrival sink as they come, each run with the time it came.
bool OpenListening(const QString& name, const QString& settings);
bool Listening();
using ArrivalSink = std::function<void(const uint8_t* bytes, size_t count, int64_t atUs)>;
void SetArrivalSink(ArrivalSink sink);
// Takes what waits in the driver now (the event loop does it too, as bytes come); a line that
// has hung up is found gone (Vanished), told once.
void TakeArrivals();
// Waits until everything written has left the driver.
void FlushPort();
// Writes PortBuffer bytes 0..n-1, after throwing away whatever had arrived unasked; returns the
// count written. Nothing at all while listening: 0, and nothing is thrown away.
int WritePort(int n);
// How many stale bytes the last WritePort threw away.
int DiscardedBeforeWrite();
// True once the open device has gone (hung up, or refused a write): the user has been told once
// and the port is of no further use until opened again.
bool Vanished();
// Whatever has arrived, as two upper-case hex digits per byte; empty when nothing did.
QString ReadPortHex();
bool IsOpen();
// The open line ends at a gateway that keeps its own line settings (tcp://, modbus-tcp://): the
// settings string reaches no wire.
bool KeepsGatewaySettings();
// Waits up to `timeoutMs` for bytes to arrive; true when some are waiting to be read.
bool WaitForInput(int timeoutMs);

// Times on one steady clock, in microseconds.
int64_t SteadyMicros();
// When the bytes the last ReadPortHex returned arrived: the first and the last; -1 for none.
struct ReadTiming {
    int64_t firstByteUs = -1;
    int64_t lastByteUs = -1;
};
ReadTiming LastReadTiming();
// When the last request's last byte left the driver: the write's end plus what the driver still
// held then, at the line's character time.
int64_t LastRequestEndUs();
// 3.5 character times at the line's settings: the least silence between the end of one frame
// and the next request. WritePort keeps it; 0 with no port open.
int64_t SilenceMicros();

// What a Modbus TCP line last sent and received as it went on the wire (the windows see the RTU
// form), and how many replies it threw away for another transaction identifier than the
// request's; empty for any other line.
struct WireBytes {
    QByteArray sent;
    QByteArray received;
    int wrongTransactions = 0;
};
WireBytes LastWire();

// The n of a "COMn" name (any case, up to five digits); none for any other name.
std::optional<int> ComNumber(const QString& name);
// "COMn" is sys/COMn when that exists (a link to the real device), else /dev/ttyS<n-1>; a name
// holding "/" is used as typed.
QString DevicePath(const QString& name);
}  // namespace SerialPort
