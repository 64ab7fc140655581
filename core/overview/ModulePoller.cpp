#include "core/overview/ModulePoller.h"

#include "core/line/Line.h"
#include "core/modules/ModuleParameters.h"
#include "core/scan/ParameterSearch.h"

RequestCounts& RequestCounts::operator+=(const RequestCounts& more) {
    requests += more.requests;
    replies += more.replies;
    noReplies += more.noReplies;
    badCrcs += more.badCrcs;
    exceptions += more.exceptions;
    return *this;
}

namespace {
constexpr int kIdentityRegister = 100;
constexpr int kIdentityWords = 3;  // address, parameter code, model code
}  // namespace

ModulePoller::ModulePoller(const LineModule& module, int waitMs)
    : module_(module), waitMs_(waitMs), plan_(PollPlan::Of(module.model)) {
    if (plan_) alarms_.assign(plan_->channels.size(), ChannelAlarm::None);
}

bool ModulePoller::Ask(Exchange& exchange, TrafficCause::Kind cause, const Frame& request,
                       int replyBytes, ModulePoll* poll) {
    ReplyVerdict verdict = ReplyVerdict::NoReply;
    const Asked asked = exchange.Ask(cause, request, {replyBytes}, waitMs_, &verdict);
    RequestCounts& counts = poll->counts;
    ++counts.requests;
    switch (asked) {
        case Asked::Answered:
            poll->outcome = ModulePoll::Answered;
            ++counts.replies;
            break;
        case Asked::NoReply:
            poll->outcome = ModulePoll::NoReply;
            ++counts.noReplies;
            return false;
        case Asked::WrongReply:
            poll->outcome = ModulePoll::BadReply;
            if (verdict == ReplyVerdict::BadCrc) ++counts.badCrcs;
            if (verdict == ReplyVerdict::Exception) ++counts.exceptions;
            return false;
        case Asked::LineFailed:
            poll->outcome = ModulePoll::LineFailed;
            --counts.requests;  // it never reached a module
            return false;
    }
    const Line& line = exchange.OnLine();
    const int64_t firstUs = line.LastReadTiming().firstByteUs;
    const int64_t sentUs = line.LastRequestEndUs();
    if (firstUs >= 0 && sentUs >= 0) {
        const int ms = static_cast<int>(std::max<int64_t>(0, firstUs - sentUs) / 1000);
        poll->responseMs = std::max(poll->responseMs, ms);
    }
    return true;
}

ModulePoll ModulePoller::Poll(Exchange& exchange) {
    const auto unit = static_cast<uint8_t>(module_.address);
    ModulePoll poll;
    if (!modelChecked_) {
        if (!Ask(exchange, TrafficCause::PollA,
                 ReadRequest(unit, 0x03, kIdentityRegister, kIdentityWords),
                 ParameterSearch::kReplyBytes, &poll))
            return poll;
        const ModuleParameters read = ModuleParametersText::Decode(exchange.ReceivedText);
        poll.modelRead = ModuleParametersText::ModelOfCode(read.modelCode);
        if (poll.modelRead.isEmpty()) poll.modelRead = QString::number(read.modelCode);
        poll.identity = read;
        if (poll.modelRead != module_.model) {
            poll.outcome = ModulePoll::WrongModel;
            return poll;
        }
        // A module without inputs answers its model check at every poll.
        modelChecked_ = plan_.has_value();
        return poll;
    }
    std::vector<AnalogCodec::Reading> values;
    const std::vector<PollPlan::Request> requests = plan_->Requests(unit);
    for (size_t k = 0; k < requests.size(); ++k) {
        if (!Ask(exchange, k == 0 ? TrafficCause::PollA : TrafficCause::PollB, requests[k].frame,
                 requests[k].replyBytes, &poll))
            return poll;
        for (const AnalogCodec::Reading& reading : plan_->ReadingsOf(k, exchange.ReceivedText))
            values.push_back(reading);
    }
    for (size_t k = 0; k < values.size() && k < plan_->channels.size(); ++k) {
        const TrendChannel& channel = plan_->channels[k];
        ChannelReading reading{channel.name, channel.unit, values[k].value, values[k].text,
                               channel.decimals};
        const auto limits = module_.limits.find(channel.name);
        // "No Sensor" holds whatever alarm stood: it is no reading to judge.
        if (limits != module_.limits.end() && reading.value == reading.value)
            alarms_[k] = NextAlarm(alarms_[k], reading.value, limits->second);
        reading.alarm = alarms_[k];
        poll.channels.push_back(reading);
    }
    return poll;
}
