#include "core/overview/PollScheduler.h"

#include <algorithm>

PollScheduler::PollScheduler(std::vector<bool> enabled) {
    for (bool on : enabled) modules_.push_back({on});
}

std::optional<int> PollScheduler::DueOffline(int64_t nowMs) const {
    std::optional<int> due;
    for (int i = 0; i < static_cast<int>(modules_.size()); ++i) {
        const Module& m = modules_[i];
        if (!m.enabled || m.status != ModuleStatus::Offline || m.retryAtMs > nowMs) continue;
        if (!due || m.retryAtMs < modules_[*due].retryAtMs) due = i;
    }
    return due;
}

std::optional<int> PollScheduler::Next(int64_t nowMs) {
    const int count = static_cast<int>(modules_.size());
    // The rest of this sweep: the next module that is polled and not offline.
    for (; position_ < count; ++position_) {
        const Module& m = modules_[position_];
        if (m.enabled && m.status != ModuleStatus::Offline) return position_++;
    }
    // The sweep's end: one try of a module that is offline and due, then a new sweep.
    if (!retriedInSweep_) {
        retriedInSweep_ = true;
        if (const auto due = DueOffline(nowMs)) return due;
    }
    const bool anyOnline = std::any_of(modules_.begin(), modules_.end(), [](const Module& m) {
        return m.enabled && m.status != ModuleStatus::Offline;
    });
    position_ = 0;
    retriedInSweep_ = false;
    if (anyOnline) return Next(nowMs);
    // Only offline modules: each try is a sweep of its own.
    retriedInSweep_ = true;
    return DueOffline(nowMs);
}

void PollScheduler::Report(int module, bool answered, bool late, int64_t nowMs) {
    Module& m = modules_[module];
    if (answered) {
        m = {m.enabled, late ? ModuleStatus::Late : ModuleStatus::Ok};
        return;
    }
    ++m.failures;
    if (m.status == ModuleStatus::Offline) {
        m.backOffMs = std::min(m.backOffMs * 2, kLongestBackOffMs);
    } else if (m.failures >= kFailuresToOffline) {
        m.status = ModuleStatus::Offline;
        m.backOffMs = kFirstBackOffMs;
    } else {
        m.status = ModuleStatus::Failing;
        return;
    }
    m.retryAtMs = nowMs + m.backOffMs;
}

int64_t PollScheduler::RetryAtMs(int module) const {
    const Module& m = modules_[module];
    return m.status == ModuleStatus::Offline ? m.retryAtMs : -1;
}

int64_t PollScheduler::NextDueMs() const {
    int64_t due = -1;
    for (const Module& m : modules_)
        if (m.enabled && m.status == ModuleStatus::Offline && (due < 0 || m.retryAtMs < due))
            due = m.retryAtMs;
    return due;
}
