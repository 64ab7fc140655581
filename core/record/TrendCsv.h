#pragma once
// Readings as CSV: a header with the time column and each channel with its unit, then one line
// per accepted reading: local time in ISO 8601 with milliseconds, each value as the panel shows
// it, an empty cell where there is none ("No Sensor").
#include <QByteArray>
#include <cstdint>
#include <vector>

#include "core/record/TrendChannel.h"

namespace TrendCsv {
QByteArray Header(const std::vector<TrendChannel>& channels, bool english);
QByteArray Line(int64_t msSinceEpoch, const std::vector<double>& values,
                const std::vector<TrendChannel>& channels);
// A value as its panel shows it, without the unit; the module's "minus zero" keeps its sign.
QString ValueText(double value, int decimals);
// "2026-12-07T13:44:10.123", local time.
QString LocalTime(int64_t msSinceEpoch);
}  // namespace TrendCsv
