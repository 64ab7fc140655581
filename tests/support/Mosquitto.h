#pragma once
// Debian's mosquitto broker for the life of the object, on 127.0.0.1 at a free port, its
// configuration in the test's scratch folder; and mosquitto_sub, an independent subscriber,
// whose messages the test reads as they come.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Mosquitto {
  public:
    ~Mosquitto();
    // Starts the broker (again on the same port after Stop); with a user, only that user with
    // that password is let in; `more` is added to its configuration (TLS files). False when it
    // did not start or listen.
    bool Start(const QString& scratchDir, const QString& user = {}, const QString& password = {},
               const QString& more = {});
    void Stop();
    int Port() const { return port_; }
    QString Url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(port_); }
    QString Output();

  private:
    QProcess process_;
    int port_ = 0;
};

struct MqttMessage {
    bool retained = false;
    QString topic;
    QByteArray payload;
};

class MqttSubscriber {
  public:
    ~MqttSubscriber();
    // mosquitto_sub on `topics`, printing each message as it comes; false when it did not
    // start. `retainedOnly`: it ends at the first message that is not retained.
    bool Start(int port, const QStringList& topics, bool retainedOnly = false);
    const std::vector<MqttMessage>& Messages();
    // Turns the event loop until `done` holds for the messages so far; false when it never did.
    bool WaitFor(const std::function<bool(const std::vector<MqttMessage>&)>& done,
                 int timeoutMs = 60000);
    // Until mosquitto_sub ends by itself (retained only); false when it did not.
    bool WaitForEnd(int timeoutMs = 30000);

  private:
    QProcess process_;
    QByteArray pending_;
    std::vector<MqttMessage> messages_;
};

// Publishes one message with mosquitto_pub; false when it failed.
bool MqttPublish(int port, const QString& topic, const QByteArray& payload);
