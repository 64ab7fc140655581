#include "core/overview/OverviewRows.h"

#include <cmath>

#include "core/record/TrendCsv.h"

namespace OverviewRows {
namespace {
const LineModule& ModuleOf(const LineFile& file, const ModuleReport& report) {
    return file.lines[report.line].modules[report.module];
}
}  // namespace

QStringList RecordColumns() {
    return {"time",    "line",  "address", "tag",    "model",
            "channel", "value", "unit",    "status", "alarm"};
}

QString StatusWord(const ModuleReport& report) {
    if (report.wrongModel) return QStringLiteral("wrong model");
    switch (report.status) {
        case ModuleStatus::Unknown:
            return QString();
        case ModuleStatus::Ok:
            return QStringLiteral("ok");
        case ModuleStatus::Late:
            return QStringLiteral("late");
        case ModuleStatus::Failing:
            return QStringLiteral("failing");
        case ModuleStatus::Offline:
            return QStringLiteral("offline");
    }
    return QString();
}

QString AlarmWord(ChannelAlarm alarm) {
    switch (alarm) {
        case ChannelAlarm::None:
            return QString();
        case ChannelAlarm::Low:
            return QStringLiteral("low");
        case ChannelAlarm::High:
            return QStringLiteral("high");
    }
    return QString();
}

QString ValueText(const ChannelReading& reading) {
    return std::isnan(reading.value) ? QString()
                                     : TrendCsv::ValueText(reading.value, reading.decimals);
}

QString TimeText(int64_t msSinceEpoch) {
    return TrendCsv::LocalTime(msSinceEpoch);
}

std::vector<QStringList> RecordRows(const LineFile& file, const ModuleReport& report) {
    const LineModule& module = ModuleOf(file, report);
    const QStringList lead = {TimeText(report.timeMs), file.lines[report.line].name,
                              QString::number(module.address), module.tag, module.model};
    std::vector<QStringList> rows;
    for (const ChannelReading& reading : report.poll.channels)
        rows.push_back(lead + QStringList{reading.name, ValueText(reading), reading.unit,
                                          StatusWord(report), AlarmWord(reading.alarm)});
    if (rows.empty()) rows.push_back(lead + QStringList{"", "", "", StatusWord(report), ""});
    return rows;
}

QByteArray JsonString(const QString& text) {
    // By hand: a document per string cost the watcher more than the rest of its work.
    const QByteArray utf8 = text.toUtf8();
    QByteArray json;
    json.reserve(utf8.size() + 2);
    json += '"';
    for (const char c : utf8) {
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\b':
                json += "\\b";
                break;
            case '\f':
                json += "\\f";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\r':
                json += "\\r";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20)
                    json += "\\u00" +
                            QByteArray::number(static_cast<int>(c), 16).rightJustified(2, '0');
                else
                    json += c;
        }
    }
    json += '"';
    return json;
}

QByteArray JsonStringOrNull(const QString& text) {
    return text.isEmpty() ? QByteArray("null") : JsonString(text);
}

QByteArray JsonLine(const LineFile& file, const ModuleReport& report) {
    // Written by hand so the keys keep the order a reader expects (QJsonObject sorts them).
    const auto string = JsonString;
    const auto orNull = JsonStringOrNull;
    const LineModule& module = ModuleOf(file, report);
    QByteArray channels;
    for (const ChannelReading& reading : report.poll.channels) {
        if (!channels.isEmpty()) channels += ',';
        const QString value = ValueText(reading);
        channels += string(reading.name) +
                    ":{\"value\":" + (value.isEmpty() ? QByteArray("null") : value.toUtf8()) +
                    ",\"unit\":" + string(reading.unit) +
                    ",\"alarm\":" + orNull(AlarmWord(reading.alarm)) + '}';
    }
    const QByteArray responseMs =
        report.poll.responseMs >= 0 ? QByteArray::number(report.poll.responseMs) : "null";
    return "{\"time\":" + string(TimeText(report.timeMs)) +
           ",\"line\":" + string(file.lines[report.line].name) +
           ",\"address\":" + QByteArray::number(module.address) + ",\"tag\":" + string(module.tag) +
           ",\"model\":" + string(module.model) + ",\"status\":" + string(StatusWord(report)) +
           ",\"responseMs\":" + responseMs + ",\"channels\":{" + channels + "}}";
}

QString TextLine(const LineFile& file, const ModuleReport& report) {
    const LineModule& module = ModuleOf(file, report);
    QStringList cells = {TimeText(report.timeMs), file.lines[report.line].name,
                         QString::number(module.address)};
    if (!module.tag.isEmpty()) cells << module.tag;
    cells << module.model;
    QString status = StatusWord(report);
    if (report.wrongModel) status += " (" + report.modelRead + ")";
    cells << status;
    if (report.poll.responseMs >= 0) cells << QString::number(report.poll.responseMs) + " ms";
    for (const ChannelReading& reading : report.poll.channels) {
        QString cell = reading.name + ' ' + reading.text;
        const QString alarm = AlarmWord(reading.alarm);
        if (!alarm.isEmpty()) cell += " [" + alarm + ']';
        cells << cell;
    }
    return cells.join(QStringLiteral("  "));
}
}  // namespace OverviewRows
