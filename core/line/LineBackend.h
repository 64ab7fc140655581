#pragma once
// One kind of line behind a line object: a serial device or a network line, on whatever system.
// The line (core/line/Line) keeps the buffer, the time-outs, the silences and the arrival times
// of bytes for every kind alike; a backend moves bytes, waits for them, and knows its device.
#include <cstddef>
#include <cstdint>

// What one read or write came to.
struct LineIo {
    enum class Kind {
        Moved,   // `count` bytes (more than none)
        Empty,   // none at all: from a line said to be readable, a hang-up
        Again,   // none now; the line may take or bring some later
        Failed,  // the line refused: gone, or never able to
    };
    Kind kind = Kind::Again;
    long long count = 0;

    static LineIo Bytes(long long count) { return {Kind::Moved, count}; }
    bool Moved() const { return kind == Kind::Moved; }
};

// What waiting for input came to.
enum class LineWait {
    Readable,     // something waits to be read (bytes, or a hang-up that reads as none)
    HungUp,       // the line says it has gone, and nothing waits
    Silent,       // nothing came in the time
    Interrupted,  // a signal ended the wait early
};

// How the event loop learns that input may be waiting: a descriptor or socket it can watch, or,
// for a line that has none, a period at which to look.
struct LineWatchable {
    long long socket = -1;  // -1 when there is none
    int pollMs = 1;
};

class LineBackend {
  public:
    virtual ~LineBackend() = default;
    // Waits up to `timeoutMs` (0: not at all) for input.
    virtual LineWait WaitReadable(int timeoutMs) = 0;
    // Waits up to `timeoutMs` until the line may take more bytes.
    virtual void WaitWritable(int timeoutMs) = 0;
    // Reads what the line holds now, up to `size` bytes, without waiting for more.
    virtual LineIo ReadSome(uint8_t* into, size_t size) = 0;
    // Writes what the line takes now, up to `size` bytes.
    virtual LineIo WriteSome(const uint8_t* bytes, size_t size) = 0;
    virtual LineWatchable Watchable() const = 0;
    // Throws away whatever the driver holds unread.
    virtual void DiscardInput() = 0;
    // Waits until everything written has left the driver.
    virtual void Drain() = 0;
    // Bytes written but not yet on the wire.
    virtual int Unsent() const = 0;
    // Microseconds one character takes on the wire; 0 where the line does not know.
    virtual double CharacterMicros() const = 0;
};
