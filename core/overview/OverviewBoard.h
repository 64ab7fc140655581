#pragma once
// What a line overview shows, kept as reports come: the latest report of every module of the
// file, in the file's order, and the alarm list, each alarm with the time it was raised and the
// time it cleared. The window draws from it; nothing here draws.
#include <vector>

#include "core/overview/AlarmTracker.h"
#include "core/overview/LineFile.h"
#include "core/overview/LineWorker.h"

struct AlarmEntry {
    AlarmEvent raised;
    int64_t clearedMs = 0;  // 0 while it stands
};

class OverviewBoard {
  public:
    // The newest alarms kept in the list; older ones drop off its end.
    static constexpr int kMaxAlarms = 2000;

    explicit OverviewBoard(const LineFile& file);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // The file's line and module of a row, and back.
    std::pair<int, int> ModuleAt(int row) const { return rows_[row]; }
    int RowOf(int line, int module) const;
    // The module's latest report; nullptr before its first poll.
    const ModuleReport* Latest(int row) const;

    // Takes a poll's report; returns the row it changed and puts what it raised or cleared in
    // `events`, and the place in Alarms() of each one's entry in `entries` (-1 for an entry
    // that is no longer kept).
    int Take(const ModuleReport& report, std::vector<AlarmEvent>* events,
             std::vector<int>* entries);
    // Counts start again (the workers reset theirs at their next poll).
    void ResetCounts();

    // Newest last.
    const std::vector<AlarmEntry>& Alarms() const { return alarms_; }
    const LineFile& File() const { return file_; }

  private:
    LineFile file_;
    std::vector<std::pair<int, int>> rows_;
    std::vector<std::vector<int>> rowOf_;
    std::vector<std::optional<ModuleReport>> latest_;
    AlarmTracker tracker_;
    std::vector<AlarmEntry> alarms_;
};
