#include "core/publish/MosquittoSession.h"

#include <mosquitto.h>

#include <QEventLoop>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace {
constexpr int kKeepAliveSeconds = 30;

QString Why(int rc) {
    if (rc == MOSQ_ERR_ERRNO) return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}
}  // namespace

MosquittoSession::MosquittoSession(const BrokerSettings& settings)
    : settings_(settings), misc_(this), retry_(this), connecting_(this) {
    static std::once_flag library;
    std::call_once(library, [] { mosquitto_lib_init(); });
    retry_.setSingleShot(true);
    connecting_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &MosquittoSession::Connect);
    connect(&connecting_, &QTimer::timeout, this, [this] { Drop(Why(MOSQ_ERR_TIMEOUT)); });
    connect(&misc_, &QTimer::timeout, this, &MosquittoSession::Service);
}

MosquittoSession::~MosquittoSession() {
    UnwatchSocket();
    if (client_) mosquitto_destroy(client_);
}

void MosquittoSession::Start() {
    client_ = mosquitto_new(settings_.clientId.toUtf8().constData(), true, this);
    if (!client_) {
        emit Lost(Why(MOSQ_ERR_ERRNO));
        return;
    }
    mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(client_, &MosquittoSession::OnConnect);
    mosquitto_disconnect_callback_set(client_, &MosquittoSession::OnDisconnect);
    mosquitto_publish_callback_set(client_, &MosquittoSession::OnPublish);
    mosquitto_message_callback_set(client_, &MosquittoSession::OnMessage);
    if (!settings_.willTopic.isEmpty())
        mosquitto_will_set(client_, settings_.willTopic.toUtf8().constData(),
                           static_cast<int>(settings_.willPayload.size()),
                           settings_.willPayload.constData(), 1, true);
    if (!settings_.user.isEmpty())
        mosquitto_username_pw_set(client_, settings_.user.toUtf8().constData(),
                                  settings_.password.toUtf8().constData());
    if (settings_.tls) {
        const QByteArray ca = settings_.caFile.toLocal8Bit();
        const int rc =
            mosquitto_tls_set(client_, ca.isEmpty() ? nullptr : ca.constData(),
                              ca.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            emit Lost(Why(rc));
            return;
        }
    }
    misc_.start(1000);
    Connect();
}

void MosquittoSession::Connect() {
    if (finishing_ || !client_) return;
    UnwatchSocket();
    connected_ = false;
    const int rc = mosquitto_connect_async(client_, settings_.host.toUtf8().constData(),
                                           settings_.port, kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        Drop(Why(rc));
        return;
    }
    down_ = false;
    WatchSocket();
    connecting_.start(kConnectMs);
}

void MosquittoSession::WatchSocket() {
    const int fd = mosquitto_socket(client_);
    if (fd < 0) return;
    reader_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(reader_.get(), &QSocketNotifier::activated, this, &MosquittoSession::Read);
    writer_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(writer_.get(), &QSocketNotifier::activated, this, &MosquittoSession::Write);
    UpdateWrite();
}

void MosquittoSession::UnwatchSocket() {
    reader_.reset();
    writer_.reset();
}

void MosquittoSession::UpdateWrite() {
    if (writer_) writer_->setEnabled(client_ && mosquitto_want_write(client_));
}

void MosquittoSession::Read() {
    AfterStep(mosquitto_loop_read(client_, 1));
}

void MosquittoSession::Write() {
    AfterStep(mosquitto_loop_write(client_, 1));
}

void MosquittoSession::AfterStep(int rc) {
    if (rc != MOSQ_ERR_SUCCESS) {
        Drop(Why(rc));
        return;
    }
    UpdateWrite();
}

void MosquittoSession::Service() {
    if (!reader_) return;
    // The keep-alive: a ping when due, and a broker that stopped answering is given up.
    const int rc = mosquitto_loop_misc(client_);
    if (rc != MOSQ_ERR_SUCCESS || mosquitto_socket(client_) < 0) {
        Drop(Why(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc));
        return;
    }
    UpdateWrite();
}

void MosquittoSession::Drop(const QString& why) {
    // One loss may come by several ways (a refusal, then the read that ends): said once.
    if (!down_) {
        down_ = true;
        connected_ = false;
        UnwatchSocket();
        connecting_.stop();
        unacknowledged_.clear();
        emit Lost(why);
    }
    if (finishing_ || retry_.isActive()) return;
    retry_.start(delayMs_);
    delayMs_ = std::min(delayMs_ * 2, kLastDelayMs);
}

void MosquittoSession::OnConnect(mosquitto*, void* self, int rc) {
    auto* session = static_cast<MosquittoSession*>(self);
    if (rc != 0) {
        session->Drop(QString::fromUtf8(mosquitto_connack_string(rc)));
        return;
    }
    session->connecting_.stop();
    session->connected_ = true;
    session->delayMs_ = kFirstDelayMs;
    for (const QString& topic : session->subscriptions_)
        mosquitto_subscribe(session->client_, nullptr, topic.toUtf8().constData(), 1);
    emit session->Connected();
    session->UpdateWrite();
}

void MosquittoSession::OnDisconnect(mosquitto*, void* self, int rc) {
    if (rc != 0) static_cast<MosquittoSession*>(self)->Drop(Why(rc));
}

void MosquittoSession::OnPublish(mosquitto*, void* self, int mid) {
    static_cast<MosquittoSession*>(self)->unacknowledged_.remove(mid);
    emit static_cast<MosquittoSession*>(self)->Acknowledged();
}

void MosquittoSession::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    emit static_cast<MosquittoSession*>(self)->Message(
        QString::fromUtf8(message->topic),
        QByteArray(static_cast<const char*>(message->payload), message->payloadlen));
}

void MosquittoSession::Publish(const QString& topic, const QByteArray& payload,
                               Broker::Delivery delivery) {
    if (!connected_) return;  // the publisher sends what stands when the broker is back
    int mid = 0;
    // A state needs no acknowledgement: every connection gets it again. What must be there
    // before a clean end (offline) is acknowledged.
    const int qos = delivery == Broker::Delivery::Status ? 1 : 0;
    const bool retain = delivery != Broker::Delivery::Event;
    const int rc =
        mosquitto_publish(client_, &mid, topic.toUtf8().constData(),
                          static_cast<int>(payload.size()), payload.constData(), qos, retain);
    if (rc == MOSQ_ERR_SUCCESS && qos > 0) unacknowledged_.insert(mid);
    UpdateWrite();
}

void MosquittoSession::Subscribe(const QString& topic) {
    subscriptions_ << topic;
    if (connected_) mosquitto_subscribe(client_, nullptr, topic.toUtf8().constData(), 1);
    UpdateWrite();
}

void MosquittoSession::Finish(int waitMs) {
    finishing_ = true;
    retry_.stop();
    if (!connected_) return;
    if (!unacknowledged_.isEmpty()) {
        QEventLoop wait;
        QTimer::singleShot(waitMs, &wait, &QEventLoop::quit);
        const auto check = [&] {
            if (unacknowledged_.isEmpty() || !connected_) wait.quit();
        };
        connect(this, &MosquittoSession::Acknowledged, &wait, check);
        connect(this, &MosquittoSession::Lost, &wait, check);
        wait.exec();
    }
    if (!connected_) return;
    mosquitto_disconnect(client_);
    // The DISCONNECT goes out now; the socket is left to close.
    for (int i = 0; i < 10 && mosquitto_want_write(client_); ++i)
        if (mosquitto_loop_write(client_, 1) != MOSQ_ERR_SUCCESS) break;
    connected_ = false;
    UnwatchSocket();
}
