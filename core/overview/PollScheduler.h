#pragma once
// The order in which one line's worker polls its modules, strictly one at a time. Sweeps go over
// the modules in turn. A module that has failed three polls in a row is offline: it leaves the
// sweeps, and is tried again after a back-off that doubles from 1 s up to once a minute, at most
// one such try per sweep, so a dead module never holds up the healthy ones. Its first good reply
// brings it back. No clock of its own: the caller says what time it is.
#include <cstdint>
#include <optional>
#include <vector>

enum class ModuleStatus {
    Unknown,  // not polled yet
    Ok,
    Late,     // answered, after the line's late limit
    Failing,  // the last poll failed, not yet three in a row
    Offline,
};

class PollScheduler {
  public:
    static constexpr int kFailuresToOffline = 3;
    static constexpr int64_t kFirstBackOffMs = 1000;
    static constexpr int64_t kLongestBackOffMs = 60000;

    // `enabled[i]`: module i is polled at all.
    explicit PollScheduler(std::vector<bool> enabled);

    // The module to poll now, or none when every polled module is offline and none is due yet
    // (then NextDueMs says when one is).
    std::optional<int> Next(int64_t nowMs);
    // How the poll of `module` went.
    void Report(int module, bool answered, bool late, int64_t nowMs);

    ModuleStatus Status(int module) const { return modules_[module].status; }
    int FailuresInARow(int module) const { return modules_[module].failures; }
    // When an offline module will next be tried; -1 for a module that is not offline.
    int64_t RetryAtMs(int module) const;
    // The earliest time an offline module is due; -1 when none is offline.
    int64_t NextDueMs() const;

  private:
    struct Module {
        bool enabled = true;
        ModuleStatus status = ModuleStatus::Unknown;
        int failures = 0;
        int64_t backOffMs = 0;
        int64_t retryAtMs = -1;
    };
    // The offline module most overdue at `nowMs`, if any is due.
    std::optional<int> DueOffline(int64_t nowMs) const;

    std::vector<Module> modules_;
    int position_ = 0;             // the next place in the sweep
    bool retriedInSweep_ = false;  // this sweep has had its one try of an offline module
};
