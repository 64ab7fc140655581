#pragma once
// The line overview window's texts in both languages.
#include <QString>
#include <QStringList>

#include "core/overview/LineWorker.h"

namespace OverviewTexts {
enum Key {
    Title,
    Button,  // on the main window
    Open,
    Save,
    AddLine,
    EditLine,
    RemoveLine,
    AddModule,
    EditModule,
    RemoveModule,
    FromScan,
    Start,
    Stop,
    ResetCounts,
    Record,
    Trend,
    Alarms,
    LineFiles,  // file dialog filter
    CsvFiles,   // file dialog filter
    NoFile,     // state line
    Running,    // %1 lines, %2 modules
    Stopped,
    Saved,         // %1 path
    SaveFailed,    // %1 path, %2 reason
    LineFailed,    // %1 line, %2 why
    LentOut,       // %1 line: handed to a work window
    Recording,     // %1 readings file, %2 alarms file
    RecordFailed,  // %1 path, %2 reason
    ChooseModule,  // a module row must be chosen
    ChooseLine,
    NoTrend,  // %1 model: nothing to draw
    Name,
    Port,
    Baud,
    Parity,
    WaitMs,
    DefaultWait,  // special value text of the wait box
    Address,
    Model,
    Tag,
    Enabled,
    Channel,
    Low,
    High,
    Hysteresis,
    LineEditor,
    ModuleEditor,
    NotANumber,  // %1 channel, %2 column, %3 text
    Publish,
    PublishTitle,
    Broker,
    TopicPrefix,
    ClientId,
    PasswordFile,
    CaFile,
    HaDiscovery,
    HaPrefix,
    Browse,
    Publishing,  // %1 broker, %2 prefix
    KeyCount
};
QString Text(Key key);

QStringList ModuleColumns();
QStringList AlarmColumns();
// "ok", "late"... in the language in use; "off" for a module not polled, empty before its first
// poll.
QString StatusText(const ModuleReport* report, bool enabled);
QString AlarmText(const QString& alarm);
// What a model check read: "address 3, 9600,N,8,1 (103)"; empty for none.
QString IdentityText(const std::optional<ModuleParameters>& identity);
}  // namespace OverviewTexts
