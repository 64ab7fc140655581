#pragma once
// The simulator as a Modbus TCP gateway in front of its bus: requests come as MBAP frames
// (transaction id, protocol 0, length, unit id, PDU), go on the bus in their RTU form, and the
// module's reply goes back under the request's transaction id.
#include <string>
#include <vector>

#include "core/protocol/Modbus.h"
#include "sim/SimBus.h"

// Cuts MBAP frames out of a TCP byte stream.
class MbapFramer {
  public:
    // Adds bytes and appends the frames they complete to `frames`; false when the stream is not
    // Modbus TCP (a protocol id other than 0 or a length no frame has): the client is dropped.
    bool Feed(const uint8_t* data, size_t count, std::vector<Frame>* frames);
    void Clear() { buffer_.clear(); }

  private:
    Frame buffer_;
};

// The RTU frame of an MBAP frame: unit id, PDU, CRC.
Frame RtuOfMbap(const Frame& mbap);

struct GatewayAnswer {
    Frame mbap;
    double delayMs = 0;  // from the request's arrival, as the bus's replies count theirs
    std::string note;    // why the module's reply was not passed on, empty when it was
};

// How long the gateway waits for a module's valid reply before it answers exception 0B.
constexpr double kGatewayWaitMs = 1000;

// What the gateway sends back for `mbap` once the bus has answered its RTU form: the first reply
// within kGatewayWaitMs that is a whole frame from the unit asked (a broken CRC, noise, a
// collision or a stray byte is dropped, as a gateway drops what it cannot check), else exception
// 0B "gateway target failed to respond" at that time. Unit 0 is passed on like any other: a lone
// module of this family answers a broadcast read or address write, under address 0.
GatewayAnswer AnswerOfGateway(const Frame& mbap, const BusExchange& exchange);
