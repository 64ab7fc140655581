#pragma once
// One kind of line behind a line object: a serial device or a network line. The line
// (core/line/Line) keeps the buffer, the time-outs, the silences and the arrival times of bytes
// for every kind alike; a backend only moves bytes over its descriptor and knows its device.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

class LineBackend {
  public:
    virtual ~LineBackend() = default;
    // The descriptor polled for input and output; it is non-blocking.
    virtual int Descriptor() const = 0;
    // As read(2) and write(2) on the line's data: 0 from a read is a hang-up, -1 sets errno.
    virtual ssize_t ReadSome(uint8_t* into, size_t size) = 0;
    virtual ssize_t WriteSome(const uint8_t* bytes, size_t size) = 0;
    // Throws away whatever the driver holds unread.
    virtual void DiscardInput() = 0;
    // Waits until everything written has left the driver.
    virtual void Drain() = 0;
    // Bytes written but not yet on the wire.
    virtual int Unsent() const = 0;
    // Microseconds one character takes on the wire; 0 where the line does not know.
    virtual double CharacterMicros() const = 0;
};
