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

std::vector<CutFrame> FrameCutter::Close() {
    std::vector<CutFrame> frames = Split(pending_, times_);
    pending_.clear();
    times_.clear();
    return frames;
}

std::vector<CutFrame> FrameCutter::Feed(const uint8_t* bytes, size_t count, int64_t atUs) {
    std::vector<CutFrame> frames;
    if (count == 0) return frames;
    const auto character = static_cast<int64_t>(std::llround(characterUs_));
    // The first byte of this read came no sooner than the line could carry them all.
    int64_t firstUs = atUs - static_cast<int64_t>(count - 1) * character;
    if (lastByteUs_ >= 0) {
        if (firstUs - lastByteUs_ >= GapUs() + character && !pending_.empty()) frames = Close();
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
    return frames;
}

std::vector<CutFrame> FrameCutter::Idle(int64_t nowUs) {
    if (pending_.empty() || nowUs - lastByteUs_ < GapUs() + std::llround(characterUs_)) return {};
    return Close();
}
