#include "core/overview/OverviewBoard.h"

#include <algorithm>

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

int OverviewBoard::Take(const ModuleReport& report, std::vector<AlarmEvent>* events,
                        std::vector<int>* entries) {
    const int row = RowOf(report.line, report.module);
    latest_[row] = report;
    *events = tracker_.Take(file_, report);
    entries->clear();
    for (const AlarmEvent& event : *events) {
        if (event.raised) {
            alarms_.push_back(AlarmEntry{event, 0});
            entries->push_back(static_cast<int>(alarms_.size()) - 1);
            continue;
        }
        // The newest standing entry of the same alarm clears.
        int cleared = -1;
        for (int k = static_cast<int>(alarms_.size()) - 1; k >= 0 && cleared < 0; --k) {
            const AlarmEvent& raised = alarms_[k].raised;
            if (alarms_[k].clearedMs == 0 && raised.line == event.line &&
                raised.module == event.module && raised.channel == event.channel &&
                raised.alarm == event.alarm)
                cleared = k;
        }
        if (cleared >= 0) alarms_[cleared].clearedMs = event.timeMs;
        entries->push_back(cleared);
    }
    const int dropped = std::max(0, static_cast<int>(alarms_.size()) - kMaxAlarms);
    alarms_.erase(alarms_.begin(), alarms_.begin() + dropped);
    for (int& entry : *entries) entry = entry < dropped ? -1 : entry - dropped;
    return row;
}

void OverviewBoard::ResetCounts() {
    for (auto& report : latest_)
        if (report) report->tally = {};
}
