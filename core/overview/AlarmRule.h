#pragma once
// A channel's alarm, from one reading to the next: a reading above `high` raises a high alarm,
// which clears only once a reading is at or below high − hysteresis; low alarms mirror it. The
// hysteresis keeps a reading that hovers at a limit from raising and clearing at every poll.
#include "core/overview/LineFile.h"

enum class ChannelAlarm { None, Low, High };

ChannelAlarm NextAlarm(ChannelAlarm now, double reading, const ChannelLimits& limits);
