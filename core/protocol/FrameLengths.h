#pragma once
// How long a Modbus RTU request or reply of each function must be, from its first bytes: what
// cuts a stream of frames apart where the silences between them were lost (a burst of a USB
// adapter, a TCP segment), and what a request asks of its reply.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/protocol/Modbus.h"

namespace FrameLengths {
// Not yet told: more bytes are needed to know the length.
inline constexpr int kNeedMore = 0;
// A function whose length its bytes do not tell: only the silence ends it.
inline constexpr int kUnknown = -1;

int Request(const uint8_t* bytes, size_t count);
int Reply(const uint8_t* bytes, size_t count);
inline int Request(const Frame& frame) {
    return Request(frame.data(), frame.size());
}
inline int Reply(const Frame& frame) {
    return Reply(frame.data(), frame.size());
}
// The reply lengths a well-formed request asks for (its exception reply aside); empty where the
// request does not tell.
std::vector<int> ReplyTo(const Frame& request);
}  // namespace FrameLengths
