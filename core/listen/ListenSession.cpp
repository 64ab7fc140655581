#include "core/listen/ListenSession.h"

#include "core/line/SerialLineSettings.h"

ListenSession::ListenSession(QObject* parent) : QObject(parent) {
    idle_.setInterval(kIdleMs);
    connect(&idle_, &QTimer::timeout, this, &ListenSession::Idle);
}

ListenSession::~ListenSession() {
    Stop();
}

bool ListenSession::Start(const QString& line, const QString& settings, double tolerance,
                          const ListenLimits& limits) {
    Stop();
    tolerance_ = tolerance;
    limits_ = limits;
    if (!line_.OpenListening(line, settings)) return false;
    const auto parsed = ParseLineSettings(settings);
    listener_ = std::make_unique<BusListener>(log_, stats_, parsed ? CharacterMicros(*parsed) : 0,
                                              tolerance_);
    listener_->SetLimits(limits_);
    line_.SetArrivalSink([this](const uint8_t* bytes, size_t count, int64_t atUs) {
        listener_->Feed(bytes, count, atUs);
    });
    idle_.start();
    emit ActiveChanged(true);
    return true;
}

void ListenSession::Stop() {
    if (!listener_) return;
    idle_.stop();
    line_.SetArrivalSink({});
    line_.Close();
    listener_.reset();
    emit ActiveChanged(false);
    emit StatsChanged();
}

void ListenSession::SetTolerance(double tolerance) {
    tolerance_ = tolerance;
    if (listener_) listener_->Cutter().SetTolerance(tolerance);
}

void ListenSession::SetLimits(const ListenLimits& limits) {
    limits_ = limits;
    if (listener_) listener_->SetLimits(limits);
}

void ListenSession::Clear() {
    log_.Clear();
    stats_.Clear();
    emit StatsChanged();
}

void ListenSession::Idle() {
    if (!listener_) return;
    // Bytes still in the driver are not a silence.
    line_.TakeArrivals();
    // The adapter pulled, the server gone: the user has been told, and the session is over.
    if (line_.Vanished()) return Stop();
    listener_->Idle(SteadyMicros());
}
