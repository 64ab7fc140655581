#pragma once
// What a module's polls came to since the counts were last reset: its requests and what became
// of them, its response times and when it last answered.
#include <cstdint>

#include "core/overview/ModulePoller.h"

struct PollTally {
    RequestCounts counts;
    int minMs = -1;  // response times of answered polls; -1 before the first
    int maxMs = -1;
    int64_t totalMs = 0;
    int timedPolls = 0;
    int64_t lastSeenMs = 0;  // when it last answered, ms since the epoch; 0 never

    void Add(const ModulePoll& poll, int64_t nowMs);
    // The mean response time; -1 before the first.
    double MeanMs() const { return timedPolls ? double(totalMs) / timedPolls : -1; }
};
