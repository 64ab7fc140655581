#pragma once
// Telnet with the Com Port Control option (RFC 2217), without the socket: what the program sends
// to open the session and set the gateway's line, data escaped, and a decoder that takes the
// gateway's bytes apart into data, answers to its option requests and acknowledged settings.
#include <QString>
#include <cstdint>
#include <vector>

#include "core/line/SerialLineSettings.h"

namespace Rfc2217 {
using Bytes = std::vector<uint8_t>;

// The four settings commands for `settings`: baud rate, data size, parity, stop size.
Bytes LineCommands(const LineSettings& settings);
// Data as it goes into the Telnet stream: each 0xFF doubled.
Bytes Escape(const uint8_t* data, size_t size);

// What the gateway acknowledged of the line (0 until it did).
struct Acknowledged {
    uint32_t baud = 0;
    int dataBits = 0;
    int parity = 0;  // the option's code: 1 none, 2 odd, 3 even
    int stopBits = 0;
    bool operator==(const Acknowledged&) const = default;
};

// What a gateway that took `settings` acknowledges.
Acknowledged AcksOf(const LineSettings& settings);
// Acknowledged settings as "9600,N,8,1".
QString AcksText(const Acknowledged& acks);

class Decoder {
  public:
    // What opens the session: binary both ways (data may hold any byte), no go-ahead, and the Com
    // Port option offered. The gateway's confirmations of these are then not answered again.
    Bytes Greeting();
    // Takes raw bytes from the gateway; appends the data bytes to `data` and what must be sent
    // back (answers to option requests) to `reply`.
    void Feed(const uint8_t* raw, size_t size, Bytes* data, Bytes* reply);
    const Acknowledged& Acks() const { return acks_; }
    // Forget the acknowledgements, before new settings are sent.
    void ForgetAcks() { acks_ = {}; }
    // All four settings acknowledged.
    bool LineAcknowledged() const;

  private:
    void Negotiate(uint8_t verb, uint8_t option, Bytes* reply);
    void Subnegotiation();

    enum class State { Data, Iac, Verb, Sub, SubIac } state_ = State::Data;
    uint8_t verb_ = 0;
    Bytes sub_;
    Acknowledged acks_;
    bool saidWill_[256] = {};  // options whose WILL or WONT we already sent
    bool saidDo_[256] = {};    // options whose DO or DONT we already sent
};
}  // namespace Rfc2217
