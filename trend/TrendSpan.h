#pragma once
// How much time a trend chart spans.
#include <cstdint>
#include <optional>

namespace TrendSpan {
constexpr int64_t kDefaultMs = 10 * 60 * 1000;
constexpr int64_t kShortestMs = 10 * 1000;
constexpr int64_t kLongestMs = 3 * 60 * 60 * 1000;

// The span of a view that follows the newest readings at `nowMs`, `chosenMs` long. At the
// default span a trend younger than that is shown whole from its first reading (ten seconds at
// least): its first minutes fill the width instead of a sliver at the right edge.
int64_t Following(int64_t chosenMs, std::optional<int64_t> firstReadingMs, int64_t nowMs);
}  // namespace TrendSpan
