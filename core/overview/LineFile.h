#pragma once
// A line file: one or more lines and the modules on each, as versioned JSON ("zn-line"). A file
// that is wrong anywhere is refused whole, with a message naming the file, the line and the
// module where it can; what the file holds beyond what this program reads is kept when it is
// saved again.
#include <QJsonObject>
#include <QString>
#include <map>
#include <optional>
#include <vector>

#include "core/modules/ParameterCodes.h"

// Alarm limits of one channel; a limit left out is never crossed.
struct ChannelLimits {
    std::optional<double> low;
    std::optional<double> high;
    double hysteresis = 0;
    bool operator==(const ChannelLimits&) const = default;
};

struct LineModule {
    int address = 1;
    QString model;  // "ZN210"
    QString tag;
    bool enabled = true;
    std::map<QString, ChannelLimits> limits;  // by channel name, as the model's window names it
    QJsonObject kept;                         // the module's object as read
};

struct LineOfModules {
    QString name;
    QString port;  // any port the windows take, network lines included
    SerialCandidate settings{9600, 'N'};
    int waitMs = 0;  // the reply wait
    // A line left unpolled. One port may carry several lines in a file, as a scan finds modules
    // at several settings on one bus, so long as at most one of them is polled.
    bool enabled = true;
    std::vector<LineModule> modules;
    QJsonObject kept;  // the line's object as read
};

class LineFile {
  public:
    static constexpr int kVersion = 1;

    std::vector<LineOfModules> lines;
    QJsonObject kept;  // the file's object as read

    // Reads `json`; nothing when it is refused, with the message (naming `fileName`) in
    // `error`, in English or Chinese.
    static std::optional<LineFile> Parse(const QByteArray& json, const QString& fileName,
                                         bool english, QString* error);
    static std::optional<LineFile> Load(const QString& path, bool english, QString* error);
    // The file as JSON: what was read, with this program's fields as they now stand.
    QByteArray ToJson() const;
    // Writes the file whole or not at all; false with the reason.
    bool Save(const QString& path, QString* error) const;

    // The reply wait a line takes when its file names none: the bus scan's, the wire time of a
    // request and its reply plus 20 ms.
    static int DefaultWaitMs(const SerialCandidate& settings);
};
