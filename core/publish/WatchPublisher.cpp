#include "core/publish/WatchPublisher.h"

#include <QDateTime>
#include <QElapsedTimer>

#include "core/publish/PublishTexts.h"
#include "core/publish/PublishTopics.h"

namespace {
int64_t SteadyMs() {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return clock.elapsed();
}
}  // namespace

WatchPublisher::WatchPublisher(const LineFile& file, const BrokerSettings& settings, Broker* broker,
                               bool english, QObject* parent)
    : QObject(parent),
      file_(file),
      settings_(settings),
      broker_(broker),
      english_(english),
      clock_(SteadyMs) {
    connect(broker_, &Broker::Connected, this, &WatchPublisher::OnConnected);
    connect(broker_, &Broker::Lost, this, &WatchPublisher::OnLost);
    connect(broker_, &Broker::Message, this, &WatchPublisher::OnMessage);
    // A module not yet polled reads offline, whatever an earlier run left retained.
    for (int line = 0; line < static_cast<int>(file_.lines.size()); ++line)
        for (int module = 0; module < static_cast<int>(file_.lines[line].modules.size()); ++module)
            if (file_.lines[line].enabled && file_.lines[line].modules[module].enabled)
                modules_[{line, module}].availability = "offline";
    if (settings_.haDiscovery) broker_->Subscribe(settings_.haPrefix + "/status");
    broker_->Start();
}

void WatchPublisher::SetWill(BrokerSettings* settings) {
    settings->willTopic = PublishTopics::WatcherStatus(settings->prefix, settings->clientId);
    settings->willPayload = "offline";
}

QString WatchPublisher::TopicOf(const Key& key) const {
    return PublishTopics::ModuleTopic(settings_.prefix, file_, key.first, key.second);
}

void WatchPublisher::Report(const ModuleReport& report) {
    const Key key{report.line, report.module};
    Module& module = modules_[key];
    module.last = report;
    module.reported = true;
    const std::vector<AlarmEvent> events = alarms_.Take(file_, report);
    if (!report.modelRead.isEmpty() && !report.wrongModel) module.discoverable = true;
    const QByteArray availability = PublishTopics::Availability(report, module.availability);
    const bool availabilityChanged = availability != module.availability;
    module.availability = availability;
    if (!connected_) return;

    const QString topic = TopicOf(key);
    if (module.discoverable && !module.discovered) PublishDiscovery(key, module);
    if (availabilityChanged)
        broker_->Publish(topic + "/availability", availability, Broker::Delivery::Status);
    const int64_t now = clock_();
    if (PublishTopics::StateChangeKey(file_, report) != module.changeKey ||
        module.publishedMs < 0 || now - module.publishedMs >= kRefreshMs)
        PublishState(key, module, now);
    for (const AlarmEvent& event : events)
        broker_->Publish(topic + "/alarm", PublishTopics::Alarm(file_, event),
                         Broker::Delivery::Event);
}

void WatchPublisher::PublishState(const Key& key, Module& module, int64_t nowMs) {
    module.changeKey = PublishTopics::StateChangeKey(file_, module.last);
    module.publishedMs = nowMs;
    broker_->Publish(TopicOf(key) + "/state", PublishTopics::State(file_, module.last),
                     Broker::Delivery::State);
}

void WatchPublisher::PublishDiscovery(const Key& key, Module& module) {
    if (!settings_.haDiscovery) return;
    for (const PublishTopics::Discovery& config :
         PublishTopics::HaDiscovery(settings_.haPrefix, settings_.prefix, settings_.clientId, file_,
                                    key.first, key.second))
        broker_->Publish(config.topic, config.payload, Broker::Delivery::Status);
    module.discovered = true;
}

void WatchPublisher::OnConnected() {
    connected_ = true;
    if (everConnected_ || saidDown_)
        emit Said(PublishTexts::Text(PublishTexts::Connected, english_).arg(settings_.url));
    everConnected_ = true;
    saidDown_ = false;
    broker_->Publish(PublishTopics::WatcherStatus(settings_.prefix, settings_.clientId), "online",
                     Broker::Delivery::Status);
    // What stands now, not what was missed while away.
    const int64_t now = clock_();
    for (auto& [key, module] : modules_) {
        module.discovered = false;
        if (module.discoverable) PublishDiscovery(key, module);
        if (!module.availability.isEmpty())
            broker_->Publish(TopicOf(key) + "/availability", module.availability,
                             Broker::Delivery::Status);
        if (module.reported) PublishState(key, module, now);
    }
}

void WatchPublisher::OnLost(const QString& why) {
    connected_ = false;
    if (saidDown_) return;
    saidDown_ = true;
    const auto key = everConnected_ ? PublishTexts::Lost : PublishTexts::Unreachable;
    emit Said(PublishTexts::Text(key, english_).arg(settings_.url, why));
}

void WatchPublisher::OnMessage(const QString& topic, const QByteArray& payload) {
    // Home Assistant came back and forgot what it was told.
    if (!settings_.haDiscovery || topic != settings_.haPrefix + "/status" ||
        payload.trimmed() != "online" || !connected_)
        return;
    for (auto& [key, module] : modules_)
        if (module.discoverable) PublishDiscovery(key, module);
}

void WatchPublisher::Finish() {
    if (connected_) {
        for (auto& [key, module] : modules_) {
            module.availability = "offline";
            broker_->Publish(TopicOf(key) + "/availability", "offline", Broker::Delivery::Status);
        }
        broker_->Publish(PublishTopics::WatcherStatus(settings_.prefix, settings_.clientId),
                         "offline", Broker::Delivery::Status);
    }
    broker_->Finish();
    connected_ = false;
}
