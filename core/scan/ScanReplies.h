#pragma once
// What one scan probe got back, sorted out. A module slower than the reply wait answers while a
// later address is probed: its well-formed reply (good CRC) from an address already probed is
// that module's late answer, never the probe's own, even when glued to the probe's own reply in
// one read. No I/O here.
#include <functional>
#include <vector>

#include "core/protocol/Modbus.h"
#include "core/scan/ScanRows.h"

struct ScanReplySplit {
    std::vector<Frame> late;  // late answers, in the order they came
    Frame own;                // every other byte, in order: the probe's own reply (empty: none)
};

namespace ScanReplies {
// `probedBefore(a)`: address a has been probed already at the line settings of this probe.
ScanReplySplit Split(const Frame& bytes, const std::function<bool(int)>& probedBefore);
// The row of a late answer heard at `heardAt`, `responseMs` after its own request: flagged slow.
ScanRow LateRow(const Frame& reply, const SerialCandidate& heardAt, int responseMs);
// A reply wait that meets a reply first heard `responseMs` after its request, with room to spare.
int WaitToMeet(int responseMs);
}  // namespace ScanReplies
