#pragma once
// What one module poll of a line overview writes: a recording's rows in long form, one per
// channel (`time,line,address,tag,model,channel,value,unit,status,alarm`; a poll without
// readings is one row with its status alone), a JSON object on a line of its own, or a line of
// text. The same words in every language, so files and pipes read alike everywhere.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/overview/LineFile.h"
#include "core/overview/LineWorker.h"

namespace OverviewRows {
QStringList RecordColumns();
std::vector<QStringList> RecordRows(const LineFile& file, const ModuleReport& report);
QByteArray JsonLine(const LineFile& file, const ModuleReport& report);
QString TextLine(const LineFile& file, const ModuleReport& report);

// `text` as a JSON string, quoted and escaped; or null for an empty text.
QByteArray JsonString(const QString& text);
QByteArray JsonStringOrNull(const QString& text);

// "ok", "late", "failing", "offline", or "wrong model" for a module of another model.
QString StatusWord(const ModuleReport& report);
// "high", "low", or empty.
QString AlarmWord(ChannelAlarm alarm);
// A reading's value as its window shows it; empty for "No Sensor".
QString ValueText(const ChannelReading& reading);
// ISO 8601 local time with milliseconds, as the recordings write it.
QString TimeText(int64_t msSinceEpoch);
}  // namespace OverviewRows
