#pragma once
// The alarms of a line overview as events: a channel's high or low alarm raised and cleared, and
// a module's own alarm while it fails, is offline or answers as another model. Each poll's
// report is held against the one before; what changed comes out as events, for the alarm list,
// the alarm file and the command line alike.
#include <QString>
#include <QStringList>
#include <map>
#include <utility>
#include <vector>

#include "core/overview/LineWorker.h"

struct AlarmEvent {
    int64_t timeMs = 0;
    int line = 0;
    int module = 0;
    QString channel;  // empty: the module's own alarm
    QString alarm;    // "high", "low", "failing", "offline", "wrong model"
    bool raised = true;
    QString value;  // the reading that raised or cleared it, as shown; empty for a module's own
    QString limit;  // "high 80 (hysteresis 1)"; empty for a module's own
};

class AlarmTracker {
  public:
    std::vector<AlarmEvent> Take(const LineFile& file, const ModuleReport& report);
    // Every alarm stands cleared, without events: a new start, a new file.
    void Forget() { standing_.clear(); }

    // The alarm file: `time,line,address,tag,model,channel,alarm,event,value,limit`.
    static QStringList FileColumns();
    static QStringList FileRow(const LineFile& file, const AlarmEvent& event);
    // "high 80 (hysteresis 1)", "low 5" ("上限 80 (回差 1)" in Chinese); empty when that side
    // has no limit. The alarm file keeps English.
    static QString LimitText(ChannelAlarm alarm, const ChannelLimits& limits, bool english = true);

  private:
    // What stands now per module: its own alarm, and each channel's.
    struct Standing {
        QString own;
        std::map<QString, QString> channels;
    };
    std::map<std::pair<int, int>, Standing> standing_;
};
