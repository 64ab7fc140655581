#pragma once
// What a watcher knows, kept on a broker: each module's retained state and availability, its
// alarms as they are raised and cleared, the watcher's own status with its last will, and
// Home Assistant's discovery once a module's model has been read. Polling never waits on it: a
// report is published at once or, while the broker is away, dropped; a new connection gets the
// current state of every module, not what was missed.
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <utility>

#include "core/overview/AlarmTracker.h"
#include "core/overview/LineFile.h"
#include "core/overview/LineWorker.h"
#include "core/publish/Broker.h"
#include "core/publish/BrokerSettings.h"

class WatchPublisher : public QObject {
    Q_OBJECT
  public:
    // The state is published again, changed or not, at least this often.
    static constexpr int64_t kRefreshMs = 60 * 1000;

    // `broker` is started here, and finished by Finish; `settings` name the prefixes and id.
    WatchPublisher(const LineFile& file, const BrokerSettings& settings, Broker* broker,
                   bool english, QObject* parent = nullptr);

    // The will every connection leaves with the broker.
    static void SetWill(BrokerSettings* settings);

    void Report(const ModuleReport& report);
    // Every module and the watcher go offline, then a clean disconnection.
    void Finish();
    // The steady clock the minute's refresh is counted on (ms); tests turn their own.
    void UseClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }

  signals:
    // A change of the connection worth telling the user, said once per change.
    void Said(const QString& text);

  private:
    struct Module {
        ModuleReport last;
        bool reported = false;
        QByteArray changeKey;       // of the state last published
        int64_t publishedMs = -1;   // steady
        QByteArray availability;    // as last decided
        bool discoverable = false;  // its model was read as the file's
        bool discovered = false;    // on this connection
    };
    using Key = std::pair<int, int>;

    void OnConnected();
    void OnLost(const QString& why);
    void OnMessage(const QString& topic, const QByteArray& payload);
    void PublishState(const Key& key, Module& module, int64_t nowMs);
    void PublishDiscovery(const Key& key, Module& module);
    QString TopicOf(const Key& key) const;

    LineFile file_;
    BrokerSettings settings_;
    Broker* broker_;
    bool english_;
    AlarmTracker alarms_;
    std::map<Key, Module> modules_;
    bool connected_ = false;
    bool everConnected_ = false;
    bool saidDown_ = false;
    std::function<int64_t()> clock_;
};
