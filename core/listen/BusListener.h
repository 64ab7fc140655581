#pragma once
// Follows a bus another master drives, from the bytes heard and the times they came: cuts them
// into frames, pairs each request with its reply, judges the reply as the program judges its own
// (plus what only a listener can tell: late, noise) and writes every frame to a traffic log, with
// each module's tally beside it. No I/O here: the bytes are given.
#include <cstdint>

#include "core/listen/FrameCutter.h"
#include "core/listen/ModuleStats.h"
#include "core/traffic/TrafficLog.h"

struct ListenLimits {
    int lateMs = 500;      // a reply that comes later than this is late
    int noReplyMs = 1000;  // with no reply this long after a request, it had none
};

class BusListener {
  public:
    BusListener(TrafficLog& log, ModuleStats& stats, double characterUs, double tolerance = 1.0);

    void SetLimits(const ListenLimits& limits) { limits_ = limits; }
    const ListenLimits& Limits() const { return limits_; }
    FrameCutter& Cutter() { return cutter_; }

    // `count` bytes read at `atUs` (the line's steady clock, microseconds).
    void Feed(const uint8_t* bytes, size_t count, int64_t atUs);
    // Nothing came until `nowUs`: ends a frame after its silence, a request's wait after its limit.
    void Idle(int64_t nowUs);

    // Frames heard, and of those the noise.
    uint64_t Frames() const { return frames_; }
    uint64_t NoiseFrames() const { return noise_; }

    // How a listener judges `reply` to `request`: the program's judge, then what the frame's
    // silences tell it besides: bytes with neither the request's address nor its function are
    // noise, a frame of the request's shape cut short is too short, a good reply after the
    // limit is late.
    static TrafficVerdict Judge(const Frame& reply, const Frame& request, int responseMs,
                                int lateMs);

  private:
    void Heard(const CutFrame& frame);
    void HeardReply(const CutFrame& frame);
    void GiveUp(int64_t waitEndUs);
    // A read of registers 100..102 answered: the module's model (and its address, when asked at
    // the broadcast address).
    void LearnModel(const Frame& reply);

    TrafficLog& log_;
    ModuleStats& stats_;
    FrameCutter cutter_;
    ListenLimits limits_;
    bool awaiting_ = false;
    Frame request_;
    int64_t requestEndUs_ = 0;
    Frame lastRequest_;     // the last request, answered or not: a late reply still names it
    bool givenUp_ = false;  // ... and it had no reply in time
    uint64_t frames_ = 0;
    uint64_t noise_ = 0;
};
