#pragma once
// What a watcher publishes, topic by topic:
//   P/<line>/<address>/state         retained: the module's last poll, as `zntool watch` writes
//                                    it in JSON
//   P/<line>/<address>/availability  retained: "online" or "offline"
//   P/<line>/<address>/alarm         each alarm raised and cleared
//   P/watcher/<id>/status            retained: "online"; "offline" as the last will
// and Home Assistant's discovery of each module, one device with a sensor per channel.
#include <QByteArray>
#include <QString>
#include <vector>

#include "core/overview/AlarmTracker.h"
#include "core/overview/LineFile.h"
#include "core/overview/LineWorker.h"

namespace PublishTopics {
// A name made fit for one level of a topic: '/', '+', '#', blanks and control characters
// become '_'.
QString Level(const QString& name);
QString ModuleTopic(const QString& prefix, const LineFile& file, int line, int module);
QString WatcherStatus(const QString& prefix, const QString& clientId);

// The state's payload, and what must change for it to be published before its minute is up:
// everything but the poll's time and response time.
QByteArray State(const LineFile& file, const ModuleReport& report);
QByteArray StateChangeKey(const LineFile& file, const ModuleReport& report);
// "online" once the module has answered, "offline" while it is offline or answers as another
// model; empty while it has not yet been either (a first poll that failed).
QByteArray Availability(const ModuleReport& report, const QByteArray& before);
// The alarm file's row as a JSON object.
QByteArray Alarm(const LineFile& file, const AlarmEvent& event);

struct Discovery {
    QString topic;
    QByteArray payload;
};
// Home Assistant's configs of one module of the model read: a sensor per measurement, a binary
// sensor per digital input, and the module's status.
std::vector<Discovery> HaDiscovery(const QString& haPrefix, const QString& prefix,
                                   const QString& clientId, const LineFile& file, int line,
                                   int module);
}  // namespace PublishTopics
