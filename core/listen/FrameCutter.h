#pragma once
// Cuts the bytes heard on a bus into frames: at every silence of 3.5 character times (times a
// tolerance, for adapters that deliver bytes in bursts), and within a run of bytes with no such
// silence by the lengths that requests and replies of each function must have, where the CRC
// proves the cut. A piece still short of its function's length when a silence ends it (an adapter
// that paused inside a frame) is held, and joined with what follows when the join's CRC proves
// it. Whatever fits no frame stays one piece, for the judge to call noise.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/protocol/Modbus.h"

struct CutFrame {
    Frame bytes;
    int64_t firstUs = 0;  // when its first byte came (the line's steady clock)
    int64_t lastUs = 0;   // ... and its last
};

class FrameCutter {
  public:
    // `characterUs`: one character on the wire at the line's settings; `tolerance` (at least 1)
    // stretches the silence that ends a frame.
    explicit FrameCutter(double characterUs, double tolerance = 1.0);

    void SetTolerance(double tolerance);
    double Tolerance() const { return tolerance_; }
    // The silence that ends a frame.
    int64_t GapUs() const;
    // The silence after which a piece short of its length is let go as it is.
    int64_t HoldUs() const;

    // `count` bytes read at `atUs`: the last of them came then, the others a character time each
    // before, or as soon after the previous byte as the line allows. Returns the frames that a
    // silence before them ended.
    std::vector<CutFrame> Feed(const uint8_t* bytes, size_t count, int64_t atUs);
    // Nothing came until `nowUs`: the bytes waiting are frames once a silence has passed.
    std::vector<CutFrame> Idle(int64_t nowUs);
    bool Pending() const { return !pending_.empty(); }
    int64_t LastByteUs() const { return lastByteUs_; }

    // A run of bytes with no silence in it, as frames.
    static std::vector<CutFrame> Split(const Frame& run, const std::vector<int64_t>& times);

  private:
    // The frames decided so far; with `release`, whatever waits is let go as it is.
    std::vector<CutFrame> Cut(bool release);
    void Silence();
    void Emit(size_t at, size_t length, std::vector<CutFrame>& frames) const;

    double characterUs_;
    double tolerance_;
    Frame pending_;
    std::vector<int64_t> times_;
    // Where a silence came inside pending_: the runs' ends, ascending.
    std::vector<size_t> silences_;
    int64_t lastByteUs_ = -1;
};
