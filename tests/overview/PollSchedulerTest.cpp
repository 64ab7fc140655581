// One line's poll order on a stepped clock: a dead module goes offline after three failures and
// is tried with a growing back-off, never holding up the healthy modules, and comes back at its
// first good reply.
#include <gtest/gtest.h>

#include <map>

#include "core/overview/PollScheduler.h"

namespace {
constexpr int64_t kAnswerMs = 30;  // a poll answered
constexpr int64_t kWaitMs = 100;   // a poll that waits out its reply wait

TEST(PollSchedulerTest, ADeadModuleBacksOffWithoutSlowingTheOthersAndComesBack) {
    // Five modules, the fourth not polled at all; module 2 dead until 200 s.
    PollScheduler scheduler({true, true, true, false, true});
    const auto dead = [](int module, int64_t now) { return module == 2 && now < 200000; };
    std::map<int, std::vector<int64_t>> polled;
    int64_t now = 0;
    std::vector<ModuleStatus> statusesOf2;
    while (now < 260000) {
        const auto next = scheduler.Next(now);
        ASSERT_TRUE(next);  // healthy modules are always due
        polled[*next].push_back(now);
        const bool answered = !dead(*next, now);
        now += answered ? kAnswerMs : kWaitMs;
        scheduler.Report(*next, answered, false, now);
        if (*next == 2) statusesOf2.push_back(scheduler.Status(2));
    }
    EXPECT_EQ(polled.count(3), 0u);
    // Failing twice, offline at the third, then offline at every failed try until it answers.
    ASSERT_GE(statusesOf2.size(), 4u);
    EXPECT_EQ(statusesOf2[0], ModuleStatus::Failing);
    EXPECT_EQ(statusesOf2[1], ModuleStatus::Failing);
    EXPECT_EQ(statusesOf2[2], ModuleStatus::Offline);
    EXPECT_EQ(scheduler.Status(2), ModuleStatus::Ok);
    // Its tries while offline: 1, 2, 4, ... s apart (plus the sweep that took it), up to 60 s.
    const std::vector<int64_t>& tries = polled[2];
    int64_t expectedGap = PollScheduler::kFirstBackOffMs;
    int offlineTries = 0;
    for (size_t k = 3; k < tries.size() && tries[k - 1] < 200000; ++k, ++offlineTries) {
        const int64_t gap = tries[k] - (tries[k - 1] + kWaitMs);
        EXPECT_GE(gap, expectedGap) << k;
        EXPECT_LT(gap, expectedGap + 4 * kAnswerMs + kWaitMs) << k;
        expectedGap = std::min(expectedGap * 2, PollScheduler::kLongestBackOffMs);
    }
    EXPECT_GE(offlineTries, 6);
    EXPECT_EQ(expectedGap, PollScheduler::kLongestBackOffMs);
    // Back at its first good reply, it is polled every sweep again.
    const int64_t lastGap = tries[tries.size() - 1] - tries[tries.size() - 2];
    EXPECT_LE(lastGap, 3 * kAnswerMs + kAnswerMs);
    // A healthy module waits at most one sweep of the healthy ones and one try of the dead one.
    for (int module : {0, 1, 4}) {
        const std::vector<int64_t>& times = polled[module];
        for (size_t k = 1; k < times.size(); ++k)
            EXPECT_LE(times[k] - times[k - 1], 3 * kAnswerMs + kWaitMs) << module << " " << k;
    }
}

TEST(PollSchedulerTest, WithEveryModuleOfflineNothingIsDueUntilItsBackOffEnds) {
    PollScheduler scheduler({true, true});
    int64_t now = 0;
    for (int failure = 0; failure < 2 * PollScheduler::kFailuresToOffline; ++failure) {
        const auto next = scheduler.Next(now);
        ASSERT_TRUE(next);
        now += kWaitMs;
        scheduler.Report(*next, false, false, now);
    }
    EXPECT_EQ(scheduler.Status(0), ModuleStatus::Offline);
    EXPECT_EQ(scheduler.Status(1), ModuleStatus::Offline);
    EXPECT_FALSE(scheduler.Next(now));
    const int64_t due = scheduler.NextDueMs();
    EXPECT_EQ(due, scheduler.RetryAtMs(0));
    EXPECT_FALSE(scheduler.Next(due - 1));
    EXPECT_EQ(scheduler.Next(due), 0);
    scheduler.Report(0, true, true, due + kAnswerMs);
    EXPECT_EQ(scheduler.Status(0), ModuleStatus::Late);
    EXPECT_EQ(scheduler.RetryAtMs(0), -1);
    EXPECT_EQ(scheduler.FailuresInARow(0), 0);
    EXPECT_EQ(scheduler.Next(due + kAnswerMs), 0);  // online again: every sweep
}
}  // namespace
