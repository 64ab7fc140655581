#include "core/listen/FrameCutter.h"

#include <algorithm>
#include <cmath>

#include "core/protocol/FrameLengths.h"

namespace {
bool CrcGood(const uint8_t* bytes, size_t count) {
    if (count < 4) return false;
    const uint16_t crc = Crc16(bytes, count - 2);
    return bytes[count - 2] == (crc & 0xFF) && bytes[count - 1] == (crc >> 8);
}

// A frame whose CRC proves it starts at the front of `bytes`: its length, 0 for none.
size_t ProvenAt(const uint8_t* bytes, size_t count) {
    if (CrcGood(bytes, count)) return count;
    for (int length : {FrameLengths::Request(bytes, count), FrameLengths::Reply(bytes, count)}) {
        if (length >= 4 && static_cast<size_t>(length) < count && CrcGood(bytes, length))
            return static_cast<size_t>(length);
    }
    // A function whose length is not told: the shortest proven frame, leaving a frame's room.
    if (FrameLengths::Request(bytes, count) == FrameLengths::kUnknown &&
        FrameLengths::Reply(bytes, count) == FrameLengths::kUnknown) {
        for (size_t length = 4; length + 4 <= count; ++length)
            if (CrcGood(bytes, length)) return length;
    }
    return 0;
}

// The length of the piece at the front of `bytes`: a proven frame; else a frame of its told
// length that a proven frame follows (a master that did not wait its silence after a bad reply);
// else the bytes before the first proven frame (noise); else the whole run.
size_t FrameAt(const uint8_t* bytes, size_t count) {
    if (const size_t proven = ProvenAt(bytes, count)) return proven;
    for (int length : {FrameLengths::Reply(bytes, count), FrameLengths::Request(bytes, count)}) {
        if (length >= 4 && static_cast<size_t>(length) + 4 <= count &&
            ProvenAt(bytes + length, count - length))
            return static_cast<size_t>(length);
    }
    for (size_t at = 1; at + 4 <= count; ++at)
        if (ProvenAt(bytes + at, count - at)) return at;
    return count;
}

// A frame starting at the front of `bytes` (`count` of them, past silences) that ends past
// `runEnd`: its length when its told length and CRC prove it; `due` when more bytes could yet.
struct Join {
    size_t length = 0;
    bool due = false;
};
Join JoinAt(const uint8_t* bytes, size_t count, size_t runEnd) {
    Join join;
    for (int told : {FrameLengths::Request(bytes, count), FrameLengths::Reply(bytes, count)}) {
        if (told == FrameLengths::kNeedMore) join.due = true;
        if (told < 4 || static_cast<size_t>(told) <= runEnd) continue;
        if (static_cast<size_t>(told) > count)
            join.due = true;
        else if (CrcGood(bytes, told))
            return {static_cast<size_t>(told), false};
    }
    return join;
}

// An adapter's pause inside a frame (its latency timer, up to 16 ms), with some slack.
constexpr int64_t kBurstUs = 20'000;
}  // namespace

FrameCutter::FrameCutter(double characterUs, double tolerance) : characterUs_(characterUs) {
    SetTolerance(tolerance);
}

void FrameCutter::SetTolerance(double tolerance) {
    tolerance_ = std::max(1.0, tolerance);
}

int64_t FrameCutter::GapUs() const {
    return static_cast<int64_t>(std::llround(3.5 * characterUs_ * tolerance_));
}

int64_t FrameCutter::HoldUs() const {
    return GapUs() + kBurstUs;
}

std::vector<CutFrame> FrameCutter::Split(const Frame& run, const std::vector<int64_t>& times) {
    std::vector<CutFrame> frames;
    size_t at = 0;
    while (at < run.size()) {
        const size_t length = FrameAt(run.data() + at, run.size() - at);
        CutFrame frame;
        frame.bytes.assign(run.begin() + at, run.begin() + at + length);
        frame.firstUs = times[at];
        frame.lastUs = times[at + length - 1];
        frames.push_back(std::move(frame));
        at += length;
    }
    return frames;
}

void FrameCutter::Emit(size_t at, size_t length, std::vector<CutFrame>& frames) const {
    CutFrame frame;
    frame.bytes.assign(pending_.begin() + at, pending_.begin() + at + length);
    frame.firstUs = times_[at];
    frame.lastUs = times_[at + length - 1];
    frames.push_back(std::move(frame));
}

void FrameCutter::Silence() {
    if (!pending_.empty() && (silences_.empty() || silences_.back() != pending_.size()))
        silences_.push_back(pending_.size());
}

std::vector<CutFrame> FrameCutter::Cut(bool release) {
    std::vector<CutFrame> frames;
    const uint8_t* bytes = pending_.data();
    const size_t size = pending_.size();
    // The last run may still grow, unless everything is let go.
    const size_t closed = release ? size : (silences_.empty() ? 0 : silences_.back());
    size_t at = 0;
    auto silence = silences_.begin();
    while (at < closed) {
        while (silence != silences_.end() && *silence <= at) ++silence;
        const size_t end = silence == silences_.end() ? size : *silence;
        const size_t length = FrameAt(bytes + at, end - at);
        if (length < end - at || CrcGood(bytes + at, length)) {
            Emit(at, length, frames);
            at += length;
            continue;
        }
        const Join join = JoinAt(bytes + at, size - at, end - at);
        if (join.length) {
            Emit(at, join.length, frames);
            at += join.length;
            continue;
        }
        if (join.due && !release) break;
        // Let go as it is, but a frame that starts inside it and ends past the silence keeps
        // its own bytes.
        size_t piece = end - at;
        for (size_t from = at + 1; from < end; ++from) {
            if (JoinAt(bytes + from, size - from, end - from).length) {
                piece = from - at;
                break;
            }
        }
        Emit(at, piece, frames);
        at += piece;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
    times_.erase(times_.begin(), times_.begin() + static_cast<long>(at));
    std::vector<size_t> left;
    for (size_t end : silences_)
        if (end > at) left.push_back(end - at);
    silences_ = std::move(left);
    return frames;
}

std::vector<CutFrame> FrameCutter::Feed(const uint8_t* bytes, size_t count, int64_t atUs) {
    std::vector<CutFrame> frames;
    if (count == 0) return frames;
    const auto character = static_cast<int64_t>(std::llround(characterUs_));
    // The first byte of this read came no sooner than the line could carry them all.
    int64_t firstUs = atUs - static_cast<int64_t>(count - 1) * character;
    if (lastByteUs_ >= 0) {
        if (firstUs - lastByteUs_ >= HoldUs() + character)
            frames = Cut(true);
        else if (firstUs - lastByteUs_ >= GapUs() + character)
            Silence();
        firstUs = std::max(firstUs, std::min(lastByteUs_ + character, atUs));
    }
    for (size_t i = 0; i < count; ++i) {
        pending_.push_back(bytes[i]);
        // Evenly from the first byte's time to the read's.
        const int64_t at = count == 1 ? atUs
                                      : firstUs + (atUs - firstUs) * static_cast<int64_t>(i) /
                                                      static_cast<int64_t>(count - 1);
        times_.push_back(at);
    }
    lastByteUs_ = atUs;
    // A held piece may be whole now.
    if (!silences_.empty())
        for (CutFrame& frame : Cut(false)) frames.push_back(std::move(frame));
    return frames;
}

std::vector<CutFrame> FrameCutter::Idle(int64_t nowUs) {
    const int64_t quiet = nowUs - lastByteUs_ - std::llround(characterUs_);
    if (pending_.empty() || quiet < GapUs()) return {};
    if (quiet >= HoldUs()) return Cut(true);
    Silence();
    return Cut(false);
}
