#include "core/overview/AlarmTracker.h"

#include "core/overview/OverviewRows.h"
#include "core/record/TrendCsv.h"

namespace {
QString OwnAlarm(const ModuleReport& report) {
    if (report.wrongModel) return QStringLiteral("wrong model");
    if (report.status == ModuleStatus::Failing) return QStringLiteral("failing");
    if (report.status == ModuleStatus::Offline) return QStringLiteral("offline");
    return QString();
}
}  // namespace

QString AlarmTracker::LimitText(ChannelAlarm alarm, const ChannelLimits& limits, bool english) {
    const std::optional<double>& limit = alarm == ChannelAlarm::High ? limits.high : limits.low;
    if (alarm == ChannelAlarm::None || !limit) return QString();
    const QString side = english                       ? OverviewRows::AlarmWord(alarm)
                         : alarm == ChannelAlarm::High ? QStringLiteral("上限")
                                                       : QStringLiteral("下限");
    QString text = side + ' ' + QString::number(*limit);
    if (limits.hysteresis > 0)
        text += QString(english ? " (hysteresis %1)" : " (回差 %1)").arg(limits.hysteresis);
    return text;
}

std::vector<AlarmEvent> AlarmTracker::Take(const LineFile& file, const ModuleReport& report) {
    const LineModule& module = file.lines[report.line].modules[report.module];
    Standing& standing = standing_[{report.line, report.module}];
    std::vector<AlarmEvent> events;
    const auto event = [&](const QString& channel, const QString& alarm, bool raised,
                           const QString& value, const QString& limit) {
        events.push_back(
            {report.timeMs, report.line, report.module, channel, alarm, raised, value, limit});
    };
    const QString own = OwnAlarm(report);
    if (own != standing.own) {
        if (!standing.own.isEmpty()) event({}, standing.own, false, {}, {});
        if (!own.isEmpty()) event({}, own, true, {}, {});
        standing.own = own;
    }
    for (const ChannelReading& reading : report.poll.channels) {
        QString& was = standing.channels[reading.name];
        const QString now = OverviewRows::AlarmWord(reading.alarm);
        if (now == was) continue;
        const auto limits = module.limits.find(reading.name);
        const ChannelLimits none;
        const ChannelLimits& of = limits == module.limits.end() ? none : limits->second;
        const QString value = OverviewRows::ValueText(reading) + reading.unit;
        if (!was.isEmpty())
            event(reading.name, was, false, value,
                  LimitText(was == "high" ? ChannelAlarm::High : ChannelAlarm::Low, of));
        if (!now.isEmpty()) event(reading.name, now, true, value, LimitText(reading.alarm, of));
        was = now;
    }
    return events;
}

QStringList AlarmTracker::FileColumns() {
    return {"time",    "line",  "address", "tag",   "model",
            "channel", "alarm", "event",   "value", "limit"};
}

QStringList AlarmTracker::FileRow(const LineFile& file, const AlarmEvent& event) {
    const LineModule& module = file.lines[event.line].modules[event.module];
    return {OverviewRows::TimeText(event.timeMs),
            file.lines[event.line].name,
            QString::number(module.address),
            module.tag,
            module.model,
            event.channel,
            event.alarm,
            event.raised ? QStringLiteral("raised") : QStringLiteral("cleared"),
            event.value,
            event.limit};
}
