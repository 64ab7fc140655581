#pragma once
// What a listener heard of each module on a bus: its requests and how they were answered, its
// response times, when it was last heard and, once a read of its registers 100..102 went by, its
// model. Rows in address order.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "core/traffic/TrafficRow.h"

struct ModuleTally {
    int address = 0;
    int requests = 0;
    int replies = 0;     // replies heard, whatever their verdict
    int exceptions = 0;  // ... of which exception replies
    int noReplies = 0;
    int badCrcs = 0;
    int otherFaults = 0;  // late, short, long, wrong address or function, noise in its place
    int responses = 0;    // replies timed
    int minMs = 0;
    int maxMs = 0;
    int64_t totalMs = 0;
    int lastSeenMsOfDay = -1;  // the last request to it or reply from it
    int modelCode = 0;         // register 102, once read

    int MeanMs() const { return responses ? static_cast<int>(totalMs / responses) : 0; }
};

class ModuleStats {
  public:
    void NoteRequest(int address, int msOfDay);
    // How the module's reply to its last request was judged (`responseMs` -1: nothing came).
    void NoteOutcome(int address, TrafficVerdict verdict, int responseMs, int msOfDay);
    void NoteModelCode(int address, int modelCode);
    const std::vector<ModuleTally>& Modules() const { return modules_; }
    // The module's row; null when it was never heard.
    const ModuleTally* Find(int address) const;
    void Clear() { modules_.clear(); }

    static QStringList Columns(bool english);
    static QStringList Cells(const ModuleTally& module, bool english);

  private:
    ModuleTally& At(int address);
    std::vector<ModuleTally> modules_;
};
