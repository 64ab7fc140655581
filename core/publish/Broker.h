#pragma once
// A connection to an MQTT broker as the watcher's publisher sees it: it connects and keeps
// reconnecting by itself, publishes while connected and drops what is published while not (the
// publisher sends its current state again on the next connection, never a backlog), and says
// what becomes of the connection. Tests put a recording broker of their own behind it.
#include <QByteArray>
#include <QObject>
#include <QString>

class Broker : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~Broker() override = default;

    // Starts connecting; never waits for the network.
    virtual void Start() = 0;
    enum class Delivery {
        Event,   // not retained, at most once: an alarm
        State,   // retained, at most once: a module's state, sent again on every connection
        Status,  // retained, at least once: availability, the watcher's status, discovery
    };
    virtual void Publish(const QString& topic, const QByteArray& payload, Delivery delivery) = 0;
    // Subscribed again on every connection.
    virtual void Subscribe(const QString& topic) = 0;
    // What was published reaches the broker, waiting a bounded time, then a clean disconnection:
    // the broker does not send the will.
    virtual void Finish() = 0;

  signals:
    void Connected();
    // A connection lost, refused, or not made; said each time it happens.
    void Lost(const QString& why);
    void Message(const QString& topic, const QByteArray& payload);
};
