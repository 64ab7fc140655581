#include "core/publish/MosquittoBroker.h"

#include "core/publish/MosquittoSession.h"

MosquittoBroker::MosquittoBroker(const BrokerSettings& settings, QObject* parent)
    : Broker(parent), session_(new MosquittoSession(settings)) {
    session_->moveToThread(&thread_);
    connect(session_, &MosquittoSession::Connected, this, &Broker::Connected);
    connect(session_, &MosquittoSession::Lost, this, &Broker::Lost);
    connect(session_, &MosquittoSession::Message, this, &Broker::Message);
    // Its notifiers and timers belong to its thread: it is deleted there.
    connect(&thread_, &QThread::finished, session_, &QObject::deleteLater);
    thread_.setObjectName(QStringLiteral("broker"));
}

MosquittoBroker::~MosquittoBroker() {
    if (thread_.isRunning()) {
        Finish();
        thread_.quit();
        thread_.wait();
    } else {
        delete session_;
    }
}

void MosquittoBroker::Start() {
    thread_.start();
    QMetaObject::invokeMethod(session_, &MosquittoSession::Start, Qt::QueuedConnection);
}

void MosquittoBroker::Publish(const QString& topic, const QByteArray& payload, Delivery delivery) {
    MosquittoSession* session = session_;
    QMetaObject::invokeMethod(
        session,
        [session, topic, payload, delivery] { session->Publish(topic, payload, delivery); },
        Qt::QueuedConnection);
}

void MosquittoBroker::Subscribe(const QString& topic) {
    MosquittoSession* session = session_;
    QMetaObject::invokeMethod(
        session, [session, topic] { session->Subscribe(topic); }, Qt::QueuedConnection);
}

void MosquittoBroker::Finish() {
    if (finished_ || !thread_.isRunning()) return;
    finished_ = true;
    MosquittoSession* session = session_;
    QMetaObject::invokeMethod(
        session, [session] { session->Finish(kFinishMs); }, Qt::BlockingQueuedConnection);
}
