#pragma once
// The broker behind libmosquitto, in a thread of its own: connecting, a slow or vanished
// network and TLS handshakes never hold up the thread that publishes. It reconnects after a
// loss or a refusal, waiting 1 s, then twice as long each time, up to 60 s.
#include <QThread>
#include <memory>

#include "core/publish/Broker.h"
#include "core/publish/BrokerSettings.h"

class MosquittoSession;

class MosquittoBroker : public Broker {
    Q_OBJECT
  public:
    explicit MosquittoBroker(const BrokerSettings& settings, QObject* parent = nullptr);
    ~MosquittoBroker() override;

    void Start() override;
    void Publish(const QString& topic, const QByteArray& payload, Delivery delivery) override;
    void Subscribe(const QString& topic) override;
    void Finish() override;

    // How long Finish waits for the broker to take what was published.
    static constexpr int kFinishMs = 3000;

  private:
    QThread thread_;
    MosquittoSession* session_ = nullptr;  // lives in thread_
    bool finished_ = false;
};
