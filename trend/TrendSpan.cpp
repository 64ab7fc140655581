#include "trend/TrendSpan.h"

#include <algorithm>

namespace TrendSpan {
int64_t Following(int64_t chosenMs, std::optional<int64_t> firstReadingMs, int64_t nowMs) {
    // A span the user zoomed to is kept as chosen.
    if (chosenMs != kDefaultMs || !firstReadingMs) return chosenMs;
    return std::clamp<int64_t>(nowMs - *firstReadingMs, kShortestMs, kDefaultMs);
}
}  // namespace TrendSpan
