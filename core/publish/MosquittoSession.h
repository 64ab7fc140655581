#pragma once
// One client of libmosquitto driven by the event loop of the thread it lives in: its socket
// watched by notifiers, its keep-alive by a timer, its reconnections by a back-off.
#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "core/publish/Broker.h"
#include "core/publish/BrokerSettings.h"

struct mosquitto;
struct mosquitto_message;

class MosquittoSession : public QObject {
    Q_OBJECT
  public:
    explicit MosquittoSession(const BrokerSettings& settings);
    ~MosquittoSession() override;

    void Start();
    void Publish(const QString& topic, const QByteArray& payload, Broker::Delivery delivery);
    void Subscribe(const QString& topic);
    // Waits up to `waitMs` for the broker to acknowledge what was published, then disconnects.
    void Finish(int waitMs);

    static constexpr int kFirstDelayMs = 1000;
    static constexpr int kLastDelayMs = 60 * 1000;
    // A connection that neither completes nor fails in this time is given up and tried again.
    static constexpr int kConnectMs = 10 * 1000;

  signals:
    void Connected();
    void Lost(const QString& why);
    void Message(const QString& topic, const QByteArray& payload);
    void Acknowledged();

  private:
    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

    void Connect();
    void WatchSocket();
    void UnwatchSocket();
    void Service();
    void Drop(const QString& why);
    void Retry();
    void Read();
    void Write();
    // A read or write of the socket came back `rc`: a failure is a loss.
    void AfterStep(int rc);
    void UpdateWrite();

    BrokerSettings settings_;
    mosquitto* client_ = nullptr;
    std::unique_ptr<QSocketNotifier> reader_;
    std::unique_ptr<QSocketNotifier> writer_;
    QTimer misc_;
    QTimer retry_;
    QTimer connecting_;
    int delayMs_ = kFirstDelayMs;
    bool connected_ = false;
    bool finishing_ = false;
    bool down_ = false;  // lost, and waiting to try again
    QStringList subscriptions_;
    QSet<int> unacknowledged_;  // message ids of QoS 1 publications
};
