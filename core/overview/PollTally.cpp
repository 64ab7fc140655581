#include "core/overview/PollTally.h"

#include <algorithm>

void PollTally::Add(const ModulePoll& poll, int64_t nowMs) {
    counts += poll.counts;
    if (poll.counts.replies > 0) lastSeenMs = nowMs;
    if (poll.outcome != ModulePoll::Answered || poll.responseMs < 0) return;
    minMs = minMs < 0 ? poll.responseMs : std::min(minMs, poll.responseMs);
    maxMs = std::max(maxMs, poll.responseMs);
    totalMs += poll.responseMs;
    ++timedPolls;
}
