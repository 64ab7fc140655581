#pragma once
// Modbus TCP framing without the socket: an RTU request (address, PDU, CRC) as the MBAP frame a
// gateway takes (the address as unit identifier), and the gateway's frames cut from its stream
// and turned back into RTU form, so that every window judges the frame it always has.
#include <cstdint>
#include <optional>
#include <vector>

namespace ModbusTcp {
using Bytes = std::vector<uint8_t>;

// The MBAP frame for an RTU request of `size` bytes under `transaction`; empty when it is too
// short to be one (address, function, CRC). The CRC is not sent: TCP checks its own.
Bytes Wrap(uint16_t transaction, const uint8_t* rtu, size_t size);

struct Reply {
    uint16_t transaction = 0;
    Bytes mbap;  // as it came on the wire
    Bytes rtu;   // unit, PDU and a CRC of our own
};

// Cuts MBAP frames from the stream, however it is split.
class Reader {
  public:
    void Feed(const uint8_t* raw, size_t size);
    // The next whole frame; none until one has come. A stream that is not Modbus TCP (protocol
    // identifier not 0, a length no frame has) is thrown away whole.
    std::optional<Reply> Next();

  private:
    Bytes pending_;
};
}  // namespace ModbusTcp
