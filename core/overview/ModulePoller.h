#pragma once
// One module of a line, polled one request at a time: at first contact a read of its registers
// 100..102, whose model must be the file's (a module of another model is never polled as the
// wrong one); after that its inputs as its window reads them, each decoded as the window shows it
// and held against its alarm limits.
#include <QString>
#include <optional>
#include <vector>

#include "core/exchange/Exchange.h"
#include "core/modules/ModuleParameters.h"
#include "core/modules/PollPlan.h"
#include "core/overview/AlarmRule.h"
#include "core/overview/LineFile.h"

struct ChannelReading {
    QString name;
    QString unit;
    double value = 0;  // NaN where the window shows "No Sensor"
    QString text;      // as the window shows it
    int decimals = 0;  // as the window shows the value
    ChannelAlarm alarm = ChannelAlarm::None;
};

// What became of the requests of one poll, or of many.
struct RequestCounts {
    int requests = 0;
    int replies = 0;  // accepted
    int noReplies = 0;
    int badCrcs = 0;
    int exceptions = 0;
    RequestCounts& operator+=(const RequestCounts& more);
};

struct ModulePoll {
    enum Outcome { Answered, NoReply, BadReply, WrongModel, LineFailed };
    Outcome outcome = NoReply;
    RequestCounts counts;
    int responseMs = -1;                       // from the request's end to the reply's first byte
    QString modelRead;                         // the model its registers name, once read
    std::optional<ModuleParameters> identity;  // what a model check read
    std::vector<ChannelReading> channels;      // an answered poll of the inputs
};

class ModulePoller {
  public:
    ModulePoller(const LineModule& module, int waitMs);

    // One request and its reply on the exchange's line, which is open at the line's settings.
    ModulePoll Poll(Exchange& exchange);
    // The model is checked again at the next poll (after the module was offline, or replaced).
    void Recheck() { modelChecked_ = false; }
    bool ModelChecked() const { return modelChecked_; }
    const LineModule& Module() const { return module_; }

  private:
    // Sends `request` and judges its reply against `replyBytes` into `poll` (its outcome, counts
    // and response time); what came is in the exchange. True when it was answered.
    bool Ask(Exchange& exchange, TrafficCause::Kind cause, const Frame& request, int replyBytes,
             ModulePoll* poll);

    LineModule module_;
    int waitMs_;
    std::optional<PollPlan> plan_;
    bool modelChecked_ = false;
    std::vector<ChannelAlarm> alarms_;
};
