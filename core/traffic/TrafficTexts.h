#pragma once
// The words of the traffic monitor and its files, in either language.
#include <QString>
#include <QStringList>

#include "core/traffic/TrafficRow.h"

struct TrafficSummary;

namespace TrafficTexts {
enum Column { Time, Direction, Bytes, Meaning, Response, Crc, Verdict, Cause, ColumnCount };

QStringList ColumnNames(bool english);
// The text of one column of a row, as the view and the files show it.
QString Cell(const TrafficRow& row, int column, bool english);
// "14:03:07.123"
QString TimeOfDay(int msOfDay);
QString CauseText(const TrafficCause& cause, bool english);
QString VerdictText(const TrafficRow& row, bool english);
QString SummaryText(const TrafficSummary& summary, bool english);

// The monitor's own controls and notes.
enum Ui {
    Title,
    RejectedOnly,
    Pause,
    Clear,
    Copy,
    SaveCsv,
    Record,
    CsvFiles,
    RecordingTo,
    RecordingFailed,
    SaveFailed,
    Saved,
    NewFile,  // the rotation choice of a recording
    RotateNever,
    RotateMidnight,
    RotateEveryMb,
    UiCount
};
QString UiText(Ui key, bool english);
}  // namespace TrafficTexts
