#pragma once
// Cuts the bytes arriving on a line into requests: as soon as the length the function code
// implies is complete, else at a silent gap (the RTU end-of-frame rule).
#include <cstddef>
#include <optional>
#include <vector>

#include "core/protocol/Modbus.h"

class RequestFramer {
  public:
    // Adds bytes; returns the requests they complete.
    std::vector<Frame> Feed(const uint8_t* data, size_t count);
    // The line has been silent for a frame gap: whatever is pending is one frame.
    std::optional<Frame> Flush();
    bool Pending() const { return !buffer_.empty(); }
    // Silence that ends a frame at a baud rate: 3.5 characters, at least 2 ms.
    static double GapMs(int baud);

  private:
    Frame buffer_;
};
