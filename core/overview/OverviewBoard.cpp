#include "core/overview/OverviewBoard.h"

OverviewBoard::OverviewBoard(const LineFile& file) : file_(file) {
    for (int line = 0; line < static_cast<int>(file_.lines.size()); ++line) {
        rowOf_.emplace_back();
        for (int module = 0; module < static_cast<int>(file_.lines[line].modules.size());
             ++module) {
            rowOf_.back().push_back(RowCount());
            rows_.push_back({line, module});
        }
    }
    latest_.resize(rows_.size());
}

int OverviewBoard::RowOf(int line, int module) const {
    return rowOf_[line][module];
}

const ModuleReport* OverviewBoard::Latest(int row) const {
    return latest_[row] ? &*latest_[row] : nullptr;
}

int OverviewBoard::Take(const ModuleReport& report, std::vector<AlarmEvent>* events) {
    const int row = RowOf(report.line, report.module);
    latest_[row] = report;
    *events = tracker_.Take(file_, report);
    for (const AlarmEvent& event : *events) {
        if (event.raised) {
            alarms_.push_back({event});
            continue;
        }
        // The newest standing entry of the same alarm clears.
        for (auto entry = alarms_.rbegin(); entry != alarms_.rend(); ++entry) {
            const AlarmEvent& raised = entry->raised;
            if (entry->clearedMs == 0 && raised.line == event.line &&
                raised.module == event.module && raised.channel == event.channel &&
                raised.alarm == event.alarm) {
                entry->clearedMs = event.timeMs;
                entry->clearedValue = event.value;
                break;
            }
        }
    }
    if (static_cast<int>(alarms_.size()) > kMaxAlarms)
        alarms_.erase(alarms_.begin(), alarms_.end() - kMaxAlarms);
    return row;
}

void OverviewBoard::ResetCounts() {
    for (auto& report : latest_)
        if (report) report->tally = {};
}
