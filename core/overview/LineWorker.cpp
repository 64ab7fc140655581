#include "core/overview/LineWorker.h"

#include <QDateTime>
#include <QThread>

#include "base/Platform.h"
#include "core/exchange/Exchange.h"
#include "core/line/Line.h"
#include "core/scan/ParameterSearch.h"
#include "core/traffic/TrafficLog.h"

namespace {
int64_t SteadyMs() {
    return SteadyMicros() / 1000;
}
}  // namespace

LineWorker::LineWorker(const LineOfModules& line, int lineIndex) : line_(line) {
    for (int i = 0; i < static_cast<int>(line_.modules.size()); ++i) {
        pollers_.emplace_back(line_.modules[i], line_.waitMs);
        ModuleReport report;
        report.line = lineIndex;
        report.module = i;
        reports_.push_back(report);
    }
}

void LineWorker::WaitUntil(int64_t dueMs, const std::atomic<bool>& stop) {
    // Short naps, so a stop is heard within a few milliseconds.
    constexpr int64_t kNapMs = 10;
    while (!stop) {
        const int64_t left = dueMs < 0 ? kNapMs : dueMs - SteadyMs();
        if (left <= 0) return;
        QThread::msleep(static_cast<unsigned long>(std::min(left, kNapMs)));
    }
}

bool LineWorker::Run(const std::atomic<bool>& stop, const Sink& sink, QString* error) {
    QString said;
    ThreadMessages messages([&said](const QString& text) {
        if (said.isEmpty()) said = text;
    });
    const auto fail = [&](const QString& fallback) {
        if (error) *error = said.isEmpty() ? fallback : said;
        return false;
    };
    Line line;
    if (!line.Open(line_.port, ParameterSearch::SettingsOf(line_.settings)))
        return fail(line_.port);
    // Nobody reads a worker's traffic: a few rows, so a line polled for days holds its memory.
    TrafficLog log(8);
    Exchange exchange(line, log);

    std::vector<bool> enabled;
    for (const LineModule& module : line_.modules) enabled.push_back(module.enabled);
    PollScheduler scheduler(enabled);
    const int lateMs = LateLimitMs(line_.waitMs);

    while (!stop) {
        if (resetCounts_.exchange(false))
            for (ModuleReport& report : reports_) report.tally = {};
        const std::optional<int> next = scheduler.Next(SteadyMs());
        if (!next) {
            WaitUntil(scheduler.NextDueMs(), stop);
            continue;
        }
        ModulePoller& poller = pollers_[*next];
        ModuleReport& report = reports_[*next];
        report.poll = poller.Poll(exchange);
        if (report.poll.outcome == ModulePoll::LineFailed) return fail(line_.port);
        report.timeMs = QDateTime::currentMSecsSinceEpoch();
        if (!report.poll.modelRead.isEmpty()) report.modelRead = report.poll.modelRead;
        const bool wrongModel = report.poll.outcome == ModulePoll::WrongModel;
        if (wrongModel || report.poll.outcome == ModulePoll::Answered)
            report.wrongModel = wrongModel;
        // A module of another model takes no more of the line than a dead one.
        const bool answered = report.poll.outcome == ModulePoll::Answered;
        const bool wasOffline = scheduler.Status(*next) == ModuleStatus::Offline;
        scheduler.Report(*next, answered, answered && report.poll.responseMs > lateMs, SteadyMs());
        report.status = scheduler.Status(*next);
        // A module back from offline may be another one put in its place.
        if (report.status == ModuleStatus::Offline && !wasOffline) poller.Recheck();
        report.tally.Add(report.poll, report.timeMs);
        sink(report);
    }
    return true;
}
