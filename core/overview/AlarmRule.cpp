#include "core/overview/AlarmRule.h"

ChannelAlarm NextAlarm(ChannelAlarm now, double reading, const ChannelLimits& limits) {
    if (limits.high && reading > *limits.high) return ChannelAlarm::High;
    if (limits.low && reading < *limits.low) return ChannelAlarm::Low;
    // Between the limits: a raised alarm holds until the reading is back past its hysteresis.
    if (now == ChannelAlarm::High && limits.high && reading > *limits.high - limits.hysteresis)
        return ChannelAlarm::High;
    if (now == ChannelAlarm::Low && limits.low && reading < *limits.low + limits.hysteresis)
        return ChannelAlarm::Low;
    return ChannelAlarm::None;
}
